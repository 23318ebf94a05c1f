#pragma once

// The Channel Access client calls we make, and the common library's
// message-log calls. Both libraries live in a module of their own (io/ca),
// loaded on the first read instead of at every start of the program.

#include "io/ChannelAccess.h"

#include <QString>

#include <cstddef>

struct ChannelAccessClient {
    std::size_t size; // of the table the module was built with
    decltype(&ca_task_initialize) taskInitialize;
    decltype(&ca_task_exit) taskExit;
    decltype(&ca_search_and_connect) searchAndConnect;
    decltype(&ca_pend_io) pendIo;
    decltype(&ca_element_count) elementCount;
    decltype(&ca_array_get) arrayGet;
    decltype(&ca_message) message;
    decltype(&ca_add_exception_event) addExceptionEvent;
    decltype(&errlogAddListener) addLogListener;
    decltype(&eltc) logToConsole;
    decltype(&errlogFlush) flushLog;

    // The calls, the module loaded on the first use; null when it cannot be
    // loaded, with the reason in why.
    static const ChannelAccessClient* get(QString& why);

    // Which module file a program in the given folder would load; empty
    // when there is none. Nothing is loaded.
    static QString moduleFileFor(const QString& executableDir);
};
