#include "serial/event_thread_scheduling.h"

#include <pthread.h>
#include <sched.h>

void LetEventThreadWakeWithoutPreempting() {
  // Linux: a SCHED_BATCH thread never preempts on wake-up; otherwise it is
  // scheduled as a normal thread of the same nice level.
  const sched_param param{};
  pthread_setschedparam(pthread_self(), SCHED_BATCH, &param);
}
