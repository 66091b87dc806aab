// Outside programs on Windows: CreateProcessW with the program named apart
// from its command line (so nothing is looked up on PATH or read by
// cmd.exe), the command line quoted by the runtime's own rules, and only
// the handles the child needs passed down to it.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "net/text.h"
#include "platform/command_line_quoting.h"
#include "platform/process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxOutputBytes = 1 << 20;
constexpr DWORD kReadChunkBytes = 4096;
// Polling an anonymous pipe (it cannot be waited on): short naps while the
// program talks, growing to this while it is quiet.
constexpr auto kLongestReadNap = std::chrono::milliseconds(20);
// A killed program is gone at once; this only bounds a system that hangs.
constexpr DWORD kReapMs = 5000;

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using Handle = std::unique_ptr<void, HandleCloser>;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

DWORD MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return DWORD(std::clamp<long long>(left, 0, INFINITE - 1));
}

std::u16string EnvironmentValue(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::u16string value(size, u'\0');
  const DWORD written = GetEnvironmentVariableW(name, reinterpret_cast<wchar_t*>(value.data()), size);
  value.resize(written < size ? written : 0);
  return value;
}

// An inheritable handle on NUL, for the child's unused standard handles.
Handle OpenNul(DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  return Handle(nul == INVALID_HANDLE_VALUE ? nullptr : nul);
}

// The child's standard handles, and nothing else it inherits: without the
// list, every inheritable handle of ours (another thread's pipe, say) would
// go to the child as well and could keep that pipe open for ever.
class ChildStart {
 public:
  ChildStart(HANDLE input, HANDLE output) : handles_{input, output} {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    info_.lpAttributeList = list;
    // One entry when output and input are the same handle would be needed;
    // they never are here.
    ready_ = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_, sizeof handles_, nullptr,
                                       nullptr);
    info_.StartupInfo.cb = sizeof info_;
    info_.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    info_.StartupInfo.wShowWindow = SW_HIDE;
    info_.StartupInfo.hStdInput = input;
    info_.StartupInfo.hStdOutput = output;
    info_.StartupInfo.hStdError = output;
  }
  ~ChildStart() {
    if (info_.lpAttributeList) DeleteProcThreadAttributeList(info_.lpAttributeList);
  }
  ChildStart(const ChildStart&) = delete;
  ChildStart& operator=(const ChildStart&) = delete;

  // Starts argv[0] with the quoted command line; the process information
  // on success.
  bool Start(const std::vector<std::string>& argv, DWORD flags, PROCESS_INFORMATION& process) {
    if (!ready_ || argv.empty()) return false;
    std::vector<std::u16string> wide;
    for (const std::string& argument : argv) wide.push_back(Utf8ToWide(argument));
    std::optional<std::u16string> line = WindowsCommandLine(wide);
    if (!line) return false;
    return CreateProcessW(Wide(wide[0]), reinterpret_cast<wchar_t*>(line->data()), nullptr, nullptr, TRUE,
                          flags | CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                          &info_.StartupInfo, &process);
  }

 private:
  HANDLE handles_[2];
  std::vector<char> storage_;
  STARTUPINFOEXW info_{};
  bool ready_ = false;
};

// A job that kills everything in it when told to, so a time-out ends what
// the program started too, as a process group does on Linux.
Handle KillableJob() {
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return {};
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) return {};
  return job;
}

// Lets what the program left running live on once the job handle closes.
void ReleaseJob(HANDLE job) {
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

// Reads until the pipe closes (true) or the deadline passes (false).
bool ReadUntilClosed(HANDLE pipe, Clock::time_point deadline, std::string& output) {
  char chunk[kReadChunkBytes];
  auto nap = std::chrono::milliseconds(1);
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return true;  // closed: all read
    if (available == 0) {
      const DWORD left = MsLeft(deadline);
      if (left == 0) return false;
      std::this_thread::sleep_for(std::min(nap, std::chrono::milliseconds(left)));
      nap = std::min(nap * 2, kLongestReadNap);
      continue;
    }
    nap = std::chrono::milliseconds(1);
    DWORD got = 0;
    if (!ReadFile(pipe, chunk, std::min<DWORD>(available, sizeof chunk), &got, nullptr) || got == 0) return true;
    const size_t room = kMaxOutputBytes - std::min(kMaxOutputBytes, output.size());
    output.append(chunk, std::min<size_t>(room, got));
  }
}

}  // namespace

CapturedRun RunAndCapture(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
  CapturedRun run;
  if (argv.empty() || argv[0].empty()) return run;
  const Clock::time_point deadline = Clock::now() + limit;

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  Handle reader(readEnd), writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  Handle input = OpenNul(GENERIC_READ);
  Handle job = KillableJob();
  if (!input || !job) return run;

  PROCESS_INFORMATION process{};
  {
    ChildStart start(input.get(), writeEnd);
    // Suspended until it is in the job, so nothing it starts escapes.
    if (!start.Start(argv, CREATE_NO_WINDOW | CREATE_SUSPENDED, process)) return run;
  }
  Handle processHandle(process.hProcess), thread(process.hThread);
  if (!AssignProcessToJobObject(job.get(), process.hProcess)) {
    TerminateProcess(process.hProcess, 1);
    return run;
  }
  ResumeThread(process.hThread);
  run.started = true;
  writer.reset();  // only the child writes; its end closes the pipe
  input.reset();

  const bool closed = ReadUntilClosed(readEnd, deadline, run.output);
  run.finished = closed && WaitForSingleObject(process.hProcess, MsLeft(deadline)) == WAIT_OBJECT_0;
  if (!run.finished) {
    TerminateJobObject(job.get(), 1);
    WaitForSingleObject(process.hProcess, kReapMs);
    run.exitCode = -1;
    return run;
  }
  DWORD code = 0;
  run.exitCode = GetExitCodeProcess(process.hProcess, &code) ? int(code) : -1;
  ReleaseJob(job.get());
  return run;
}

bool LaunchDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  Handle input = OpenNul(GENERIC_READ);
  Handle output = OpenNul(GENERIC_WRITE);
  if (!input || !output) return false;
  PROCESS_INFORMATION process{};
  ChildStart start(input.get(), output.get());
  // A group of its own: a Ctrl+C in our console does not reach it. The
  // player's own chatter goes nowhere.
  if (!start.Start(argv, CREATE_NEW_PROCESS_GROUP, process)) return false;
  // Nothing to reap on Windows: closing the handles lets it run on alone.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

int64_t MsSinceProcessStart() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  const auto ticks = [](FILETIME t) { return (int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return (ticks(now) - ticks(created)) / 10'000;  // 100 ns ticks
}

std::filesystem::path ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path(path).parent_path();
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::filesystem::path FindOnPath(std::string_view name) {
  if (name.empty() || name.find_first_of("/\\:") != std::string_view::npos) return {};
  const std::u16string path = EnvironmentValue(L"PATH");
  const std::filesystem::path file(std::u8string(name.begin(), name.end()));
  std::u16string_view folders(path);
  while (!folders.empty()) {
    const size_t semicolon = folders.find(u';');
    std::u16string_view folder = folders.substr(0, semicolon);
    folders = semicolon == std::u16string_view::npos ? std::u16string_view() : folders.substr(semicolon + 1);
    // A folder may be written between quotes (it may hold a ';').
    if (folder.size() >= 2 && folder.front() == u'"' && folder.back() == u'"') folder = folder.substr(1, folder.size() - 2);
    if (folder.empty()) continue;
    const std::filesystem::path candidate =
        std::filesystem::path(std::wstring(reinterpret_cast<const wchar_t*>(folder.data()), folder.size())) / file;
    if (IsProgramFile(candidate)) return candidate;
  }
  return {};
}

std::string ProgramFileName(std::string_view name) { return std::string(name) + ".exe"; }

std::vector<std::filesystem::path> UsualInstallPaths(std::string_view name) {
  // The environment names the folders wherever Windows was installed; the
  // usual places stand in when it does not.
  const auto folderOf = [](const wchar_t* variable, const wchar_t* usual) {
    const std::u16string value = EnvironmentValue(variable);
    return value.empty() ? std::filesystem::path(usual) : std::filesystem::path(reinterpret_cast<const wchar_t*>(value.c_str()));
  };
  const std::filesystem::path programs = folderOf(L"ProgramW6432", L"C:\\Program Files");
  const std::filesystem::path programs32 = folderOf(L"ProgramFiles(x86)", L"C:\\Program Files (x86)");
  if (name == "vlc") return {programs / L"VideoLAN" / L"VLC" / L"vlc.exe", programs32 / L"VideoLAN" / L"VLC" / L"vlc.exe"};
  if (name == "mxplayer")
    return {programs / L"MXPlayer" / L"mxplayer.exe", programs / L"MX Player" / L"MXPlayer.exe",
            programs32 / L"MX Player" / L"mxplayer.exe"};
  return {};
}

bool IsProgramFile(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
