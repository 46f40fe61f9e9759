#pragma once

#include <windows.h>

namespace tavrin {

// The twelve arguments of CreateWindowExW, in its order. Derived windows fill one on the stack
// and hand it to Window::create.
struct CreateParams {
    DWORD exStyle = 0;
    LPCWSTR className = nullptr;  // a name, or an atom through MAKEINTATOM
    LPCWSTR title = nullptr;
    DWORD style = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    HWND parent = nullptr;
    HMENU menu = nullptr;  // or the child identifier
    HINSTANCE instance = nullptr;
    LPVOID param = nullptr;
};

// A child window of the shared class with an empty title, for the many windows made that way.
CreateParams sharedChildParams(HWND parent, DWORD style, int x = 0, int y = 0, int width = 0,
                               int height = 0, DWORD exStyle = 0);

// A native window whose messages are delivered to this object. Create it with new, then call
// create; from then on the native window owns the object: the routing procedure deletes it when
// the window receives WM_DESTROY (a child goes with its parent). Code never deletes a created
// window itself.
class Window {
public:
    // Registers the shared class "DefaultWindow" the first time any window is constructed.
    // Throws WindowException when the system refuses the class.
    Window();
    virtual ~Window();

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Overrides pass what they do not handle on to this: the procedure the window had before it
    // was subclassed, or the platform default.
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Creates the native window, subclasses it with the routing procedure and registers this
    // object for its handle. Throws WindowException when the window cannot be created.
    virtual void create(const CreateParams& params);

    bool isEnabled() const;
    // Repaints at once when the state changes; nothing happens when it is already `enable`.
    void setEnabled(bool enable);

    // The object registered for `handle`, or null (never created, or already destroyed).
    static Window* fromHandle(HWND handle);

    // The shared class; derived windows pass MAKEINTATOM(sharedClass()) as the class name.
    // Zero until the first Window has been constructed.
    static ATOM sharedClass() { return sharedClassAtom; }

    HWND hwnd = nullptr;
    // Full pointer width: on 64-bit Windows a procedure does not fit the 32-bit window long the
    // program once stored it in, so it goes through SetWindowLongPtrW and GWLP_WNDPROC.
    WNDPROC previousProc = nullptr;

protected:
    // Takes over a window made elsewhere (a dialog's control) the way create takes over the one
    // it makes: subclassed with the routing procedure and registered, so from then on the native
    // window owns this object. A null handle is left alone and the object stays the caller's.
    void adopt(HWND existing);

private:
    static LRESULT CALLBACK routeMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    // Drops the registry entry and gives the window its own procedure back.
    void detach();

    static ATOM sharedClassAtom;
};

}  // namespace tavrin
