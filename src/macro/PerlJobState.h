#pragma once

// Where the perl job of a macro stands: that of a macro's own start and stop
// (Macro::MAP), and the one a macro command waits for (the host's wait flag,
// which never holds Stopping).
enum class PerlJobState {
    Idle, // no job runs
    Running,
    Stopping, // the user stopped the job; it has not ended yet
};
