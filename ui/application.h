// The program's GUI as a whole: the main window, the event loop, the hand-over from worker
// threads to the main thread, and the handling of errors that escape an event handler.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace quorvane::ui {

class Form;

namespace application {

// Must be called on the main thread before any window is made.
void Initialize();

// The window whose closing ends the event loop.
void SetMainForm(Form* form);
Form* MainForm();

// The text that dialogs of the program show in their caption.
void SetTitle(std::wstring title);
const std::wstring& Title();

// Runs the event loop until the main window has closed.
void Run();

// Handles the window messages that are waiting, then returns.
void ProcessMessages();

// Waits for a kernel object while the main thread goes on handling its messages, and the
// calls that workers hand to it.
void WaitWhileProcessing(HANDLE object);

// True once the event loop is ending. Any thread may ask.
bool Terminated();
void Terminate();

// Runs the function on the main thread and returns when it has run there; an exception that
// it raises is raised again in the calling thread. Called on the main thread, it just runs.
void Synchronize(const std::function<void()>& function);

// Shows the error's text in a message box; the program goes on. For errors that escape an
// event handler.
void HandleException(std::exception_ptr error);

bool IsMainThread();

}  // namespace application
}  // namespace quorvane::ui
