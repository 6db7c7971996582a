#include "platform/win32/Win32TaskScheduler.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <taskschd.h>

#include <vector>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

// Owns one reference to a COM object.
template <typename Interface>
class ComHolder {
 public:
  ComHolder() = default;
  ComHolder(const ComHolder&) = delete;
  ComHolder& operator=(const ComHolder&) = delete;
  ~ComHolder() {
    if (object_ != nullptr) object_->Release();
  }
  Interface* operator->() const { return object_; }
  Interface* Get() const { return object_; }
  Interface** Out() { return &object_; }
  void** OutVoid() { return reinterpret_cast<void**>(&object_); }

 private:
  Interface* object_ = nullptr;
};

class BstrHolder {
 public:
  explicit BstrHolder(const std::string& text) : text_(SysAllocString(Widen(text).c_str())) {}
  BstrHolder() = default;
  BstrHolder(const BstrHolder&) = delete;
  BstrHolder& operator=(const BstrHolder&) = delete;
  ~BstrHolder() { SysFreeString(text_); }
  BSTR Get() const { return text_; }
  BSTR* Out() { return &text_; }
  std::string Text() const {
    return text_ == nullptr ? std::string() : Narrow(std::wstring(text_, SysStringLen(text_)));
  }

 private:
  BSTR text_ = nullptr;
};

// COM for the calls of one request, on whatever thread makes them. A thread
// already in the other apartment model keeps it, and COM works all the same.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

bool IsNotFound(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// The scheduler's root folder, connected as the current user.
HRESULT OpenRootFolder(ComHolder<ITaskService>& service, ComHolder<ITaskFolder>& root) {
  HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                service.OutVoid());
  if (FAILED(hr)) return hr;
  VARIANT none;
  VariantInit(&none);
  hr = service->Connect(none, none, none, none);
  if (FAILED(hr)) return hr;
  BstrHolder rootPath("\\");
  return service->GetFolder(rootPath.Get(), root.Out());
}

// The program the first action of a registered task runs; empty when its
// first action runs none.
HRESULT FirstCommandOf(IRegisteredTask* task, std::string& command) {
  ComHolder<ITaskDefinition> definition;
  HRESULT hr = task->get_Definition(definition.Out());
  if (FAILED(hr)) return hr;
  ComHolder<IActionCollection> actions;
  hr = definition->get_Actions(actions.Out());
  if (FAILED(hr)) return hr;
  LONG count = 0;
  hr = actions->get_Count(&count);
  if (FAILED(hr) || count < 1) return hr;
  ComHolder<IAction> action;
  hr = actions->get_Item(1, action.Out());
  if (FAILED(hr)) return hr;
  ComHolder<IExecAction> exec;
  if (FAILED(action->QueryInterface(IID_IExecAction, exec.OutVoid()))) return S_OK;
  BstrHolder path;
  hr = exec->get_Path(path.Out());
  if (SUCCEEDED(hr)) command = path.Text();
  return hr;
}

}  // namespace

SchedulerResult ClassifySchedulerError(long hresult) {
  HRESULT hr = static_cast<HRESULT>(hresult);
  if (SUCCEEDED(hr)) return {};
  if (hr == E_ACCESSDENIED) return {SchedulerFailure::kAccessDenied, static_cast<uint32_t>(hr)};
  if (hr == SCHED_E_SERVICE_NOT_RUNNING || hr == HRESULT_FROM_WIN32(ERROR_SERVICE_NOT_ACTIVE) ||
      hr == HRESULT_FROM_WIN32(ERROR_SERVICE_DISABLED) || hr == HRESULT_FROM_WIN32(ERROR_SERVICE_DOES_NOT_EXIST) ||
      hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)) {
    return {SchedulerFailure::kServiceNotRunning, static_cast<uint32_t>(hr)};
  }
  if (hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DISABLED_BY_POLICY)) {
    return {SchedulerFailure::kForbiddenByPolicy, static_cast<uint32_t>(hr)};
  }
  return {SchedulerFailure::kOther, static_cast<uint32_t>(hr)};
}

SchedulerResult Win32TaskScheduler::FindTask(const std::string& path, bool& found, std::string& command) {
  found = false;
  command.clear();
  ComScope com;
  ComHolder<ITaskService> service;
  ComHolder<ITaskFolder> root;
  HRESULT hr = OpenRootFolder(service, root);
  if (FAILED(hr)) return ClassifySchedulerError(hr);
  ComHolder<IRegisteredTask> task;
  BstrHolder taskPath(path);
  hr = root->GetTask(taskPath.Get(), task.Out());
  if (IsNotFound(hr)) return {};
  if (FAILED(hr)) return ClassifySchedulerError(hr);
  found = true;
  // A task whose action cannot be read runs no program known here: it is
  // there, but not this copy's. (Wine's scheduler reads no actions at all.)
  if (FAILED(FirstCommandOf(task.Get(), command))) command.clear();
  return {};
}

SchedulerResult Win32TaskScheduler::RegisterTask(const std::string& path, const std::string& xml) {
  ComScope com;
  ComHolder<ITaskService> service;
  ComHolder<ITaskFolder> root;
  HRESULT hr = OpenRootFolder(service, root);
  if (FAILED(hr)) return ClassifySchedulerError(hr);
  BstrHolder taskPath(path);
  BstrHolder definition(xml);
  VARIANT none;
  VariantInit(&none);
  ComHolder<IRegisteredTask> registered;
  // The principal of the definition names the user; an interactive token
  // needs no password.
  hr = root->RegisterTask(taskPath.Get(), definition.Get(), TASK_CREATE_OR_UPDATE, none, none,
                          TASK_LOGON_INTERACTIVE_TOKEN, none, registered.Out());
  return ClassifySchedulerError(hr);
}

SchedulerResult Win32TaskScheduler::DeleteTask(const std::string& path) {
  ComScope com;
  ComHolder<ITaskService> service;
  ComHolder<ITaskFolder> root;
  HRESULT hr = OpenRootFolder(service, root);
  if (FAILED(hr)) return ClassifySchedulerError(hr);
  BstrHolder taskPath(path);
  hr = root->DeleteTask(taskPath.Get(), 0);
  if (IsNotFound(hr)) return {};
  if (FAILED(hr)) return ClassifySchedulerError(hr);
  // The folder goes too once it is empty; one that still holds tasks stays.
  size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 0) {
    BstrHolder folder(path.substr(0, slash));
    root->DeleteFolder(folder.Get(), 0);
  }
  return {};
}

std::string Win32TaskScheduler::CurrentUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::string user;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size > 0) {
    // Whole pointers, so that the record lands aligned.
    std::vector<DWORD_PTR> buffer((size + sizeof(DWORD_PTR) - 1) / sizeof(DWORD_PTR));
    if (GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
      auto* tokenUser = reinterpret_cast<TOKEN_USER*>(buffer.data());
      wchar_t name[256] = {};
      wchar_t domain[256] = {};
      DWORD nameLength = 256;
      DWORD domainLength = 256;
      SID_NAME_USE use;
      if (LookupAccountSidW(nullptr, tokenUser->User.Sid, name, &nameLength, domain, &domainLength, &use)) {
        user = domainLength > 0 ? Narrow(domain) + "\\" + Narrow(name) : Narrow(name);
      }
    }
  }
  CloseHandle(token);
  return user;
}

}  // namespace korvath
