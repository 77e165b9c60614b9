// What a host program (krvhost) needs from the operating system beyond
// os.h, behind one small interface: loading the library, the executable's
// folder, the terminal, Ctrl+C, stopping helper processes (child_process.h
// starts them). One implementation per system (host_os_posix.cpp,
// host_os_win32.cpp); nothing else in krvhost is system-specific (files go
// through std::filesystem and stdio).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace krv::host {

// A library loaded by path at run time (dlopen / LoadLibraryA).
class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // False with *error set when the file cannot be loaded.
    bool Open(const std::string& path, std::string* error);
    // Null when the library has no such name.
    void* Symbol(const char* name) const;
    void Close();

  private:
    void* handle_ = nullptr;
};

// The folder of the running executable, ending with the path separator.
std::string ExecutableDir();

// The separator the library expects at the end of an exchange directory.
char PathSeparator();

// "libtarvisco.so" or "tarvisco.dll".
const char* LibraryFileName();
// "" or ".exe": the ending of the helper programs' file names.
const char* ProgramSuffix();

// Prepares the console once at start (UTF-8 output on Windows).
void PrepareConsole();
// True when the stream is an interactive terminal.
bool IsTerminal(std::FILE* stream);
// Switches on colour escapes for a terminal; false when it cannot show them.
bool EnableColours(std::FILE* stream);

// The window handle given to the library as the owner of its dialogs
// (the console window on Windows, null elsewhere).
void* MainWindowHandle();

// Ctrl+C: the first one only raises the flag that the interruption query
// reads; a second one ends the program as usual.
void InstallInterruptHandler();
bool InterruptRequested();

void SleepMs(int ms);

// Stops every process of this user whose program is the file at program_path
// (also a script run by its interpreter) and returns how many there were.
int StopProgramsRunningFrom(const std::string& program_path);

// Marks a copied program as executable (no-op on Windows).
bool MakeExecutable(const std::string& path);

// The next three take UTF-8 paths.
// Whether the file at path can be started as a program: a regular file with
// execute permission for this user (POSIX), or one with an .exe, .com, .bat
// or .cmd ending (Windows).
bool IsExecutableFile(const std::string& path);

// Whether this user can create a file in the directory (dir ends with the
// separator): a probe file is made as a new file, written and removed, as the
// library does before it uses the directory. False with *error saying why.
bool CanCreateFileIn(const std::string& dir, std::string* error);

// Bytes free for this user on the file system holding the directory; -1 when
// the system cannot say.
long long FreeBytes(const std::string& dir);

}  // namespace krv::host
