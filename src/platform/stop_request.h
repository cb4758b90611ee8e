// A run stopped from outside (Ctrl-C, SIGTERM, SIGHUP, the console closing) ends at once with this
// exit status, after one line on standard error: the state files are only ever replaced whole,
// korvan.log gets whole entries, and the system lets go of the lock. Between the runs of `watch`
// nothing is under way, and a stop ends it with status 0. (stop_request.cpp)
#pragma once

namespace korvan {

void EndRunAtStopRequest(int exitStatus);
void EndWatchAtStopRequest();

}  // namespace korvan
