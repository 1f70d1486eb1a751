#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/spawn_pipe.h"
#include "platform/win/win_handles.h"

namespace velmora::platform {

namespace {

// One argument as the child's C runtime will split it again: quoted when it
// holds blanks or quotes, backslashes doubled only before a quote.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
    return arg;
  }
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::string CommandLine(const std::string& exe, const std::vector<std::string>& args) {
  std::string line = Quoted(exe);
  for (const auto& a : args) {
    line += ' ';
    line += Quoted(a);
  }
  return line;
}

bool Overridden(const std::string& entry, const SpawnRequest& request) {
  for (const auto& [key, value] : request.env) {
    if (entry.size() > key.size() && _strnicmp(entry.c_str(), key.c_str(), key.size()) == 0 &&
        entry[key.size()] == '=') {
      return true;
    }
  }
  return false;
}

// The inherited environment with the request's variables added or replaced,
// as the block CreateProcessA takes: "k=v\0" entries and a final "\0".
std::string EnvironmentBlock(const SpawnRequest& request) {
  std::string block;
  if (char* env = GetEnvironmentStringsA(); env != nullptr) {
    for (const char* e = env; *e != '\0'; e += std::char_traits<char>::length(e) + 1) {
      const std::string entry(e);
      if (!Overridden(entry, request)) {
        block.append(entry).push_back('\0');
      }
    }
    FreeEnvironmentStringsA(env);
  }
  for (const auto& [key, value] : request.env) {
    block.append(key + "=" + value).push_back('\0');
  }
  block.push_back('\0');
  return block;
}

// The link server is named without its extension, as on POSIX.
std::string ExecutablePath(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
      GetFileAttributesA((path + ".exe").c_str()) != INVALID_FILE_ATTRIBUTES) {
    return path + ".exe";
  }
  return path;
}

bool Inheritable(HANDLE h) {
  return h != INVALID_HANDLE_VALUE && SetHandleInformation(h, HANDLE_FLAG_INHERIT, 1) != 0;
}

// Exactly the child's three standard handles are inherited, whatever else of
// ours happens to be inheritable.
class HandleList {
 public:
  explicit HandleList(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (size > 0 && InitializeProcThreadAttributeList(list, 1, 0, &size)) {
      initialised_ = true;
      ok_ = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                      handles_.size() * sizeof(HANDLE), nullptr, nullptr) != 0;
    }
  }
  HandleList(const HandleList&) = delete;
  HandleList& operator=(const HandleList&) = delete;
  ~HandleList() {
    if (initialised_) {
      DeleteProcThreadAttributeList(List());
    }
  }
  [[nodiscard]] LPPROC_THREAD_ATTRIBUTE_LIST List() {
    return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
  }
  [[nodiscard]] bool Ok() const { return ok_; }

 private:
  std::vector<HANDLE> handles_;
  std::vector<char> storage_;
  bool initialised_ = false;
  bool ok_ = false;
};

// Starts the process with `in` and `out` as its standard input and output;
// its standard error is ours. The pid, or -1 with the Win32 error.
int Start(const SpawnRequest& request, HANDLE in, HANDLE out, int& error) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const bool pass_err = err != nullptr && Inheritable(err);
  std::vector<HANDLE> inherited{in, out};
  if (pass_err) {
    inherited.push_back(err);
  }
  HandleList handles(inherited);
  STARTUPINFOEXA si{};
  si.StartupInfo.cb = sizeof si;
  si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  si.StartupInfo.hStdInput = in;
  si.StartupInfo.hStdOutput = out;
  si.StartupInfo.hStdError = pass_err ? err : nullptr;
  DWORD flags = 0;
  if (handles.Ok()) {
    si.lpAttributeList = handles.List();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  const std::string exe = ExecutablePath(request.executable);
  std::string line = CommandLine(exe, request.args);
  std::string env = EnvironmentBlock(request);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, flags, env.data(), nullptr,
                      &si.StartupInfo, &pi)) {
    error = win::ErrnoFromLastError();
    return -1;
  }
  // Detached: the child is found again by its name, like any process.
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(pi.dwProcessId);
}

}  // namespace

SpawnResult SpawnWithPipes(const SpawnRequest& request, SysIo& io) {
  SpawnResult result;
  UniqueFd request_read;
  UniqueFd request_write;
  UniqueFd reply_read;
  UniqueFd reply_write;
  if (!MakeSpawnPipe(io, request_read, request_write, SpawnFailure::kRequestPipe, result) ||
      !MakeSpawnPipe(io, reply_read, reply_write, SpawnFailure::kReplyPipe, result)) {
    return result;
  }
  const HANDLE in = win::HandleOf(request_read.Get());
  if (!Inheritable(in)) {
    result.failure = SpawnFailure::kStdin;
    result.error = win::ErrnoFromLastError();
    return result;
  }
  const HANDLE out = win::HandleOf(reply_write.Get());
  if (!Inheritable(out)) {
    result.failure = SpawnFailure::kStdout;
    result.error = win::ErrnoFromLastError();
    return result;
  }
  int error = 0;
  const int pid = Start(request, in, out, error);
  if (pid < 0) {
    result.failure = SpawnFailure::kProcess;
    result.error = error;
    return result;
  }
  result.child = ChildProcess(std::move(request_write), std::move(reply_read), pid);
  return result;
}

}  // namespace velmora::platform
