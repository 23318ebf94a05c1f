#pragma once

// The Channel Access client calls we make, and the common library's
// environment and message-log calls. Debian installs these libraries without
// their headers, so the few declarations we need are written out here from
// the libraries' documented C interface.

extern "C" {

// An opaque channel.
struct oldChannelNotify;
typedef struct oldChannelNotify* chid;
typedef long chtype;
typedef double ca_real;

// What an exception handler is told.
struct exception_handler_args {
    void* usr; // the argument given when the handler was installed
    chid chan; // the channel, or null
    long type; // the type requested
    long count; // the count requested
    void* addr; // where a get would have written
    long stat; // the status code (ECA_...)
    long op; // the operation
    const char* ctx; // a text that says what happened
    const char* pFile; // source file, may be null
    unsigned lineNo; // source line, may be 0
};
typedef void caExceptionHandler(struct exception_handler_args);
typedef void caCh(struct connection_handler_args);

int ca_task_initialize(void);
int ca_task_exit(void);
int ca_search_and_connect(const char* pChanName, chid* pChanID, caCh* pFunc, void* pArg);
int ca_pend_io(ca_real timeOut);
unsigned long ca_element_count(chid chan);
int ca_array_get(chtype type, unsigned long count, chid chanId, void* pValue);
const char* ca_message(long ca_status);
int ca_add_exception_event(caExceptionHandler* pfunc, void* pArg);

int epicsEnvSet(const char* name, const char* value);

// The message log: listeners receive every message; eltc(0) keeps the log
// off standard error.
typedef void (*errlogListener)(void* pPrivate, const char* message);
void errlogAddListener(errlogListener listener, void* pPrivate);
int errlogRemoveListeners(errlogListener listener, void* pPrivate);
void eltc(int yesno);
int errlogFlush(void);
}

namespace ChannelAccess {

// Status codes.
inline constexpr int ECA_NORMAL = 1;
inline constexpr int ECA_TOLARGE = 72;
inline constexpr int ECA_TIMEOUT = 80;
// Value type of a get.
inline constexpr chtype DBR_DOUBLE = 6;

} // namespace ChannelAccess
