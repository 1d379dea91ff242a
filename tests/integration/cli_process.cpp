#include "cli_process.h"

#include "platform/utf8_path.h"
#include "tests/support/test_files.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace integration {

CliSetup WithFileSizeLimit(std::uint64_t bytes) {
    CliSetup setup;
    setup.file_size_limit = bytes;
    return setup;
}

CliSetup WithMemoryLimit(std::uint64_t bytes) {
    CliSetup setup;
    setup.memory_limit = bytes;
    return setup;
}

CliSetup RunningAs(std::optional<Identity> identity) {
    CliSetup setup;
    setup.identity = identity;
    return setup;
}

CliSetup WithStandardOutput(int descriptor) {
    CliSetup setup;
    setup.standard_output = descriptor;
    return setup;
}

CliSetup WithStandardStreams(int output, int error) {
    CliSetup setup = WithStandardOutput(output);
    setup.standard_error = error;
    return setup;
}

CliSetup Traced() {
    CliSetup setup;
    setup.traced = true;
    return setup;
}

CliSetup WithBoundFolder(const std::string& folder, const std::string& second_name) {
    CliSetup setup;
    setup.bind_folder = {folder, second_name};
    return setup;
}

namespace {

// The program and its arguments as given, the program first.
std::vector<std::string> CommandWords(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{BRENWICK_CLI};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return words;
}

void CheckStarted(const CliRun& run) {
    if (run.exited && (run.status == 126 || run.status == 127)) {
        throw std::runtime_error(std::string("could not start ") + BRENWICK_CLI);
    }
}

}  // namespace

#if defined(_WIN32)

namespace {

// A text of the tests (UTF-8) as Windows takes it.
std::wstring Wide(const std::string& text) { return brenwick::PathFromText(text).wstring(); }

// One argument as the C library's command-line parsing reads it back: in quotes, with the
// backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// The C library of Windows ends the lines of its text streams with CR LF.
std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// A file the child inherits as a standard stream.
HANDLE InheritedFile(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE file = CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    return file;
}

// The handle of a C library descriptor, for the child to inherit.
HANDLE InheritedDescriptor(int descriptor) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    HANDLE inherited = INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE || !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &inherited,
                                                           0, TRUE, DUPLICATE_SAME_ACCESS)) {
        throw std::runtime_error("cannot hand on descriptor " + std::to_string(descriptor));
    }
    return inherited;
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& arguments, const CliSetup& setup) {
    if (setup.file_size_limit || setup.memory_limit || setup.identity || setup.task_limit || setup.traced ||
        setup.bind_folder || setup.standard_error >= 0) {
        throw std::runtime_error("RunCli: on Windows a child runs only with its arguments and standard output");
    }
    const test_files::TempDir capture;
    const std::string out_path = capture / "stdout";
    const std::string err_path = capture / "stderr";
    std::wstring command_line;
    for (const std::string& word : CommandWords(arguments)) {
        command_line += (command_line.empty() ? L"" : L" ") + Quoted(Wide(word));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritedFile("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = setup.standard_output >= 0 ? InheritedDescriptor(setup.standard_output)
                                                    : InheritedFile(out_path, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritedFile(err_path, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    for (HANDLE stream : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(stream);
    if (!started) throw std::runtime_error(std::string("could not start ") + BRENWICK_CLI);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    CliRun run;
    // Exit codes from 0xC0000000 on are the exceptions that end a program (an access violation).
    run.exited = code < 0xC0000000u;
    if (run.exited)
        run.status = static_cast<int>(code);
    else
        run.signal = static_cast<long>(code);
    if (setup.standard_output < 0) run.out = WithoutCarriageReturns(test_files::ReadText(out_path));
    run.err = WithoutCarriageReturns(test_files::ReadText(err_path));
    CheckStarted(run);
    return run;
}

bool BindMountsPossible() { return false; }

std::string Describe(const CliRun& run) {
    if (run.exited) return "exit status " + std::to_string(run.status);
    char code[16];
    std::snprintf(code, sizeof code, "%#x", static_cast<unsigned>(run.signal));
    return std::string("exception ") + code;
}

#else

namespace {

// In a mount namespace of its own, whose mounts reach no other namespace, `folder` is mounted
// onto `second_name` too. Only async-signal-safe calls, for a child between fork and exec.
bool BindFolder(const char* folder, const char* second_name) {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(folder, second_name, nullptr, MS_BIND, nullptr) == 0;
}

// The child's side, between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecCli(char* const* argv, const char* out_path, const char* err_path, const CliSetup& setup) {
    const int out =
        setup.standard_output >= 0 ? setup.standard_output : open(out_path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err =
        setup.standard_error >= 0 ? setup.standard_error : open(err_path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) _exit(126);
    for (const auto& [resource, most] :
         {std::pair{RLIMIT_FSIZE, setup.file_size_limit}, std::pair{RLIMIT_AS, setup.memory_limit},
          std::pair{RLIMIT_NPROC, setup.task_limit}}) {
        const rlimit limit{most.value_or(RLIM_INFINITY), most.value_or(RLIM_INFINITY)};
        if (most && setrlimit(resource, &limit) != 0) _exit(126);
    }
    // The group first: without root's rights the group can no longer be changed.
    if (setup.identity &&
        (setgroups(0, nullptr) != 0 || setgid(setup.identity->group) != 0 || setuid(setup.identity->user) != 0)) {
        _exit(126);
    }
    if (setup.bind_folder && !BindFolder(setup.bind_folder->first.c_str(), setup.bind_folder->second.c_str())) {
        _exit(126);
    }
    if (setup.traced && ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(126);
    execv(argv[0], argv);
    _exit(127);
}

// The signal a traced child stopped for, to pass on when it resumes: none for the stop after its
// start and the stops at system calls.
int SignalToPass(int stop_status) { return (WSTOPSIG(stop_status) & 0x7f) == SIGTRAP ? 0 : WSTOPSIG(stop_status); }

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& arguments, const CliSetup& setup) : setup_(setup) {
    std::vector<std::string> words = CommandWords(arguments);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out_path = capture_ / "stdout";
    const std::string err_path = capture_ / "stderr";
    test_files::WriteText(err_path, "");  // so that it can be read before the child writes

    child_ = fork();
    if (child_ < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (child_ == 0) ExecCli(argv.data(), out_path.c_str(), err_path.c_str(), setup);
}

CliProcess::~CliProcess() {
    if (status_ && !WIFSTOPPED(*status_)) return;
    kill(child_, SIGKILL);
    Reap();
}

std::string CliProcess::ErrorSoFar() const { return test_files::ReadText(capture_ / "stderr"); }

bool CliProcess::HoldAtSystemCall(const std::function<bool(long number, unsigned long long first)>& here) {
    for (;;) {
        int status = 0;
        if (waitpid(child_, &status, 0) != child_) throw std::runtime_error("waitpid failed");
        status_ = status;
        if (!WIFSTOPPED(status)) return false;
        if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
            __ptrace_syscall_info call{};
            ptrace(PTRACE_GET_SYSCALL_INFO, child_, sizeof call, &call);
            if (call.op == PTRACE_SYSCALL_INFO_ENTRY && here(static_cast<long>(call.entry.nr), call.entry.args[0])) {
                return true;
            }
        }
        ptrace(PTRACE_SETOPTIONS, child_, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
        ptrace(PTRACE_SYSCALL, child_, nullptr, SignalToPass(status));
    }
}

bool CliProcess::EndsWithin(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!status_ || WIFSTOPPED(*status_)) {
        int status = 0;
        if (waitpid(child_, &status, WNOHANG) == child_) {
            status_ = status;
        } else if (std::chrono::steady_clock::now() > end) {
            return false;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return true;
}

void CliProcess::Reap() {
    while (!status_ || WIFSTOPPED(*status_)) {
        // A traced child is resumed with the signal it stopped for, as it would have run untraced.
        if (status_) ptrace(PTRACE_CONT, child_, nullptr, SignalToPass(*status_));
        int status = 0;
        if (waitpid(child_, &status, 0) == child_) {
            status_ = status;
        } else if (errno != EINTR) {
            throw std::runtime_error(std::string("waitpid failed: ") + std::strerror(errno));
        }
    }
}

CliRun CliProcess::Wait() {
    Reap();
    CliRun run;
    run.exited = WIFEXITED(*status_);
    if (run.exited) run.status = WEXITSTATUS(*status_);
    if (WIFSIGNALED(*status_)) run.signal = WTERMSIG(*status_);
    if (setup_.standard_output < 0) run.out = test_files::ReadText(capture_ / "stdout");
    if (setup_.standard_error < 0) run.err = ErrorSoFar();
    CheckStarted(run);
    return run;
}

CliRun RunCli(const std::vector<std::string>& arguments, const CliSetup& setup) {
    return CliProcess(arguments, setup).Wait();
}

bool BindMountsPossible() {
    const test_files::TempDir dir;
    const std::string folder = dir / "folder";
    const std::string second_name = dir / "second";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(second_name);
    const pid_t child = fork();
    if (child == 0) _exit(BindFolder(folder.c_str(), second_name.c_str()) ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Describe(const CliRun& run) {
    if (run.exited) return "exit status " + std::to_string(run.status);
    return "signal " + std::to_string(run.signal) + " (" + strsignal(run.signal) + ")";
}

#endif

}  // namespace integration
