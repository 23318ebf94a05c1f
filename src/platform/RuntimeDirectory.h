#pragma once

// Qt expects a private runtime directory (XDG_RUNTIME_DIR) and complains on
// standard error when a shell, a cron job or a CI runner has none; in a
// headless run standard error carries the program's own errors only.
namespace RuntimeDirectory {

// When XDG_RUNTIME_DIR is unset, points it at <temp>/vexa-runtime-<uid>,
// made with mode 0700 and used only when it is a real directory owned by
// this user. Call before the Qt application object exists.
void ensure();

} // namespace RuntimeDirectory
