#include "ui/application.h"

#include <commctrl.h>

#include <atomic>

#include "ui/form.h"
#include "common/error.h"
#include "common/scoped.h"
#include "common/text.h"

namespace quorvane::ui::application {

namespace {

constexpr UINT kRunSynchronized = WM_APP + 1;

struct SynchronizedCall {
  const std::function<void()>* function;
  std::exception_ptr error;
  ScopedHandle done;
};

struct State {
  DWORD mainThreadId = 0;
  HWND messageWindow = nullptr;
  Form* mainForm = nullptr;
  std::wstring title;
  std::atomic<bool> terminated{false};
};

State& TheState() {
  static State state;
  return state;
}

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message != kRunSynchronized) return DefWindowProcW(window, message, wParam, lParam);
  auto* call = reinterpret_cast<SynchronizedCall*>(lParam);
  try {
    (*call->function)();
  } catch (...) {
    call->error = std::current_exception();
  }
  SetEvent(call->done.Get());
  return 0;
}

// A message-only window of the main thread, to which workers post the calls they hand over.
HWND CreateMessageWindow() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MessageWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuorvaneSynchronize";
  RegisterClassExW(&windowClass);
  return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                         nullptr);
}

void Dispatch(MSG& message) {
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

std::wstring MessageOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Error& known) {
    return known.Message();
  } catch (const std::exception& other) {
    return FromUtf8(other.what());
  } catch (...) {
    return L"Unknown error";
  }
}

}  // namespace

void Initialize() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  State& state = TheState();
  state.mainThreadId = GetCurrentThreadId();
  if (!state.messageWindow) state.messageWindow = CreateMessageWindow();
}

void SetMainForm(Form* form) { TheState().mainForm = form; }
Form* MainForm() { return TheState().mainForm; }

void SetTitle(std::wstring title) { TheState().title = std::move(title); }
const std::wstring& Title() { return TheState().title; }

void Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  Terminate();
}

void ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the event loop, which ends on it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void WaitWhileProcessing(HANDLE object) {
  while (MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) ProcessMessages();
}

bool Terminated() { return TheState().terminated.load(); }
void Terminate() { TheState().terminated.store(true); }

bool IsMainThread() { return GetCurrentThreadId() == TheState().mainThreadId; }

void Synchronize(const std::function<void()>& function) {
  if (IsMainThread()) {
    function();
    return;
  }
  SynchronizedCall call{&function, nullptr, ScopedHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr))};
  if (!call.done || !PostMessageW(TheState().messageWindow, kRunSynchronized, 0, reinterpret_cast<LPARAM>(&call))) {
    throw WinError(GetLastError(), L"Cannot hand a call to the main thread");
  }
  WaitForSingleObject(call.done.Get(), INFINITE);
  if (call.error) std::rethrow_exception(call.error);
}

void HandleException(std::exception_ptr error) {
  const Form* mainForm = MainForm();
  const std::wstring caption = Title().empty() ? L"Quorvane" : Title();
  MessageBoxW(mainForm ? mainForm->Handle() : nullptr, MessageOf(error).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace quorvane::ui::application
