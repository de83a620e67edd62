// Facts about the running system: the user, the program and library files,
// the ANSI code page.
#pragma once
#include <string>

namespace plat {

// Login name of the user running the process; empty when it cannot be found.
std::string UserName();

// Full file name of the shared library (or program) that holds this code.
std::string LibraryFileName();
// Full file name of the module that holds the given code or data address;
// empty when the address belongs to no loaded module.
std::string ModuleFileNameOf(const void* address);
// Full file name of the running host program.
std::string HostProgramFileName();

// The ANSI code page the machine reports (it may be one the module has no
// conversions for, such as 1252): the environment variable KTRB_ANSI_CODEPAGE
// when it holds a number, else 936. The process's own conversions use the
// setting AnsiCodePage() of core/text.h, which start-up may derive from this.
int GetACP();

}  // namespace plat
