// The Channel Access client behind the EPICS import, built as a module of
// its own: the client and common libraries are loaded with the first read,
// not each time the program starts.

#include "io/ChannelAccessClient.h"

extern "C" __attribute__((visibility("default"))) const ChannelAccessClient* vexaChannelAccessClient()
{
    static const ChannelAccessClient calls{sizeof(ChannelAccessClient),
                                           &ca_task_initialize,
                                           &ca_task_exit,
                                           &ca_search_and_connect,
                                           &ca_pend_io,
                                           &ca_element_count,
                                           &ca_array_get,
                                           &ca_message,
                                           &ca_add_exception_event,
                                           &errlogAddListener,
                                           &eltc,
                                           &errlogFlush};
    return &calls;
}
