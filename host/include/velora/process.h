#ifndef VELORA_PROCESS_H
#define VELORA_PROCESS_H

// Facts of the machine and the process the host runs in, asked of the
// operating system at every call.

#include <string>

#include "velora/export.h"

namespace velora {
namespace process {

/// The operating system's temporary directory ($TMPDIR, else the system's
/// default), always with a trailing '/'.
VELORA_API std::string TempPath();
/// The process's current directory ("" if it cannot be read).
VELORA_API std::string CurrentDirectory();
/// `path` made absolute (against the current directory) and cleaned of "."
/// and ".." parts and repeated '/'; the file need not exist. "" for null.
VELORA_API std::string FullPath(const char* path);
/// The machine's name (at most 255 characters).
VELORA_API std::string ComputerName();
/// Resident memory of the process now, and its peak, in bytes.
VELORA_API double Memory();
VELORA_API double MemoryPeak();

}  // namespace process
}  // namespace velora

#endif  // VELORA_PROCESS_H
