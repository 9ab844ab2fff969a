#pragma once

// Lets the calling thread (a port's event thread) wake up without taking the
// processor from the thread that woke it. A delivery's end wakes the event
// thread while the UI thread still runs its last few steps before it sleeps;
// a wake that preempts it costs a switch away from the UI thread and one
// back for nothing. The event thread runs once the UI thread sleeps or on
// another processor; received bytes wait in the driver meanwhile. Best
// effort: where the system has no such setting nothing changes.
void LetEventThreadWakeWithoutPreempting();
