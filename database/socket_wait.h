#pragma once

// Waits until libpq's socket may be read (or written), at most `milliseconds`.
// 1: ready, 0: not yet (or interrupted), -1: the wait itself failed.
int WaitOnSocket(int socket, bool forWriting, int milliseconds);
