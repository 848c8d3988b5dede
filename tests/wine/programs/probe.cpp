// Looks at and acts on another program's windows as a user or a screen reader would, and reads
// the system-wide key state. One command per run; results go to standard output.
//
//   probe window TITLE            client origin, client size and status bar height, once the
//                                 window is shown (it is placed before that)
//   probe status TITLE            the status bar text
//   probe texts TITLE             class and text of every child window, one per line
//   probe combo TITLE             the combo box's current item and its items
//   probe pick TITLE INDEX [TEXT] opens the combo box with the mouse and clicks that item; with
//                                 TEXT, waits for that status text and prints "answered <ms>",
//                                 the time from the click until the window answered with it
//   probe msgbox CAPTION MS       waits for a message box, prints it and presses OK
//   probe message CAPTION MS      waits for a message box and prints it, leaving it open
//   probe held                    the virtual-key codes held now
//   probe close TITLE             the system menu's Close, which the close box also sends
//   probe closebox TITLE          clicks the window's close box with the mouse
//   probe click TITLE TEXT        clicks the push button with that caption
//   probe focus TITLE             brings the window to the front
//   probe foreground              the title of the window in front
//   probe cursor [X Y]            moves the cursor to (X, Y), or prints where it is

#include "platform/win32/performance_clock.h"
#include "pointer.h"

#include <windows.h>
// These need windows.h before them.
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

namespace {

std::wstring FromUtf8(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Utf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
    return narrow;
}

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The program's own window with this title: its message boxes bear the title too.
HWND FindTopLevel(const wchar_t* title) {
    HWND window = nullptr;
    do {
        window = FindWindowExW(nullptr, window, nullptr, title);
    } while (window != nullptr && ClassOf(window) == L"#32770");
    if (window == nullptr) {
        std::fprintf(stderr, "no window titled %s\n", Utf8(title).c_str());
        std::exit(2);
    }
    return window;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND Child(HWND parent, const wchar_t* className, const wchar_t* text) {
    for (HWND child : Children(parent)) {
        if (ClassOf(child) == className && (text == nullptr || TextOf(child) == text)) {
            return child;
        }
    }
    std::fprintf(stderr, "no %s child\n", Utf8(className).c_str());
    std::exit(2);
}

using keyweave::win32::NowMs;

// Returns when the button went up.
double ClickAt(int x, int y) {
    MovePointer(x, y);
    Sleep(100);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Sleep(80);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    return NowMs();
}

bool WaitFor(int timeoutMs, bool (*condition)(HWND), HWND window) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (condition(window)) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

int Window(const wchar_t* title) {
    HWND window = FindTopLevel(title);
    if (!IsWindowVisible(window)) {
        std::fprintf(stderr, "the window is not shown yet\n");
        return 2;
    }
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT client{};
    GetClientRect(window, &client);
    int statusHeight = 0;
    if (HWND status = FindWindowExW(window, nullptr, STATUSCLASSNAMEW, nullptr)) {
        RECT bar{};
        GetWindowRect(status, &bar);
        statusHeight = bar.bottom - bar.top;
    }
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    Print(std::to_string(origin.x) + " " + std::to_string(origin.y) + " " +
          std::to_string(client.right) + " " + std::to_string(client.bottom) + " " +
          std::to_string(statusHeight) + " " +
          ((style & WS_THICKFRAME) != 0 ? "sizable" : "fixed"));
    return 0;
}

int Status(const wchar_t* title) {
    Print(Utf8(TextOf(Child(FindTopLevel(title), STATUSCLASSNAMEW, nullptr))));
    return 0;
}

int Texts(const wchar_t* title) {
    for (HWND child : Children(FindTopLevel(title))) {
        Print(Utf8(ClassOf(child)) + "\t" + Utf8(TextOf(child)));
    }
    return 0;
}

int Combo(const wchar_t* title) {
    HWND combo = Child(FindTopLevel(title), L"ComboBox", nullptr);
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    Print("current " + std::to_string(SendMessageW(combo, CB_GETCURSEL, 0, 0)));
    for (LRESULT item = 0; item < count; ++item) {
        wchar_t text[1024] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(text));
        Print(Utf8(text));
    }
    return 0;
}

HWND OpenList() {
    HWND open = nullptr;
    EnumWindows(
        [](HWND window, LPARAM found) {
            if (ClassOf(window) == L"ComboLBox" && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&open));
    return open;
}

int Pick(const wchar_t* title, int index, const wchar_t* status) {
    HWND window = FindTopLevel(title);
    HWND combo = Child(window, L"ComboBox", nullptr);
    RECT closed{};
    GetWindowRect(combo, &closed);
    ClickAt((closed.left + closed.right) / 2, (closed.top + closed.bottom) / 2);
    HWND list = nullptr;
    for (int waited = 0; waited < 3000 && list == nullptr; waited += 20) {
        Sleep(20);
        list = OpenList();
    }
    if (list == nullptr) {
        std::fprintf(stderr, "the list did not open\n");
        return 1;
    }
    const auto itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    POINT origin{0, 0};
    ClientToScreen(list, &origin);
    RECT client{};
    GetClientRect(list, &client);
    const double clicked =
        ClickAt(origin.x + client.right / 2, origin.y + itemHeight * index + itemHeight / 2);
    if (status != nullptr) {
        // The window answers only between two of its turns: the first answer with the new
        // status comes once the pick has been handled.
        HWND bar = Child(window, STATUSCLASSNAMEW, nullptr);
        while (TextOf(bar) != status) {
            if (NowMs() - clicked > 60000) {
                std::fprintf(stderr, "the status did not change\n");
                return 1;
            }
        }
        Print("answered " + std::to_string(NowMs() - clicked));
    }
    for (int waited = 0; waited < 3000; waited += 20) {
        if (SendMessageW(combo, CB_GETCURSEL, 0, 0) == index && OpenList() == nullptr) {
            return 0;
        }
        Sleep(20);
    }
    std::fprintf(stderr, "the item was not picked\n");
    return 1;
}

struct BoxSearch {
    std::wstring caption;
    HWND box = nullptr;
};

// The message box with this caption, once it is shown; nullptr when none is within the time.
HWND WaitForMessageBox(const wchar_t* caption, int timeoutMs) {
    BoxSearch search{caption};
    for (int waited = 0; waited <= timeoutMs && search.box == nullptr; waited += 20) {
        EnumWindows(
            [](HWND window, LPARAM data) {
                auto* wanted = reinterpret_cast<BoxSearch*>(data);
                if (ClassOf(window) == L"#32770" && IsWindowVisible(window) &&
                    TextOf(window) == wanted->caption) {
                    wanted->box = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.box == nullptr) {
            Sleep(20);
        }
    }
    if (search.box == nullptr) {
        std::fprintf(stderr, "no message box\n");
    }
    return search.box;
}

void PrintMessageBox(HWND box) {
    wchar_t text[4096] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 4096);
    Print("text " + Utf8(text));
    Print(std::string("topmost ") +
          ((GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? "yes" : "no"));
    HWND owner = GetWindow(box, GW_OWNER);
    Print("owner " + (owner != nullptr ? Utf8(TextOf(owner)) : std::string()));
    int buttons = 0;
    for (HWND child : Children(box)) {
        if (ClassOf(child) == L"Button") {
            ++buttons;
        }
    }
    Print("buttons " + std::to_string(buttons));
    std::fflush(stdout);
}

int MessageBoxShown(const wchar_t* caption, int timeoutMs) {
    HWND box = WaitForMessageBox(caption, timeoutMs);
    if (box == nullptr) {
        return 2;
    }
    PrintMessageBox(box);
    return 0;
}

int MessageBoxCheck(const wchar_t* caption, int timeoutMs) {
    HWND box = WaitForMessageBox(caption, timeoutMs);
    if (box == nullptr) {
        return 2;
    }
    PrintMessageBox(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    const bool gone = WaitFor(
        5000, [](HWND window) { return !IsWindow(window); }, box);
    Print(std::string("dismissed ") + (gone ? "yes" : "no"));
    return gone ? 0 : 1;
}

int Held() {
    std::string codes;
    for (int code = 1; code <= 255; ++code) {
        if ((GetAsyncKeyState(code) & 0x8000) != 0) {
            codes += (codes.empty() ? "" : " ") + std::to_string(code);
        }
    }
    Print(codes);
    return 0;
}

int CloseBox(const wchar_t* title) {
    PostMessageW(FindTopLevel(title), WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

// The close box is where the window's hit test answers HTCLOSE along the title bar.
int ClickCloseBox(const wchar_t* title) {
    HWND window = FindTopLevel(title);
    RECT outer{};
    GetWindowRect(window, &outer);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const int y = (outer.top + origin.y) / 2;
    for (int x = outer.right - 1; x > outer.left; --x) {
        const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
        if (hit == HTCLOSE) {
            ClickAt(x - 3, y);
            return 0;
        }
    }
    std::fprintf(stderr, "no close box\n");
    return 1;
}

int Click(const wchar_t* title, const wchar_t* text) {
    HWND window = FindTopLevel(title);
    HWND button = Child(window, L"Button", text);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return 0;
}

int Focus(const wchar_t* title) {
    HWND window = FindTopLevel(title);
    SetForegroundWindow(window);
    return WaitFor(
               3000, [](HWND w) { return GetForegroundWindow() == w; }, window)
               ? 0
               : 1;
}

int Foreground() {
    HWND window = GetForegroundWindow();
    Print(window != nullptr ? Utf8(TextOf(window)) : std::string());
    return 0;
}

int Cursor(int argc, char** argv) {
    if (argc >= 4) {
        SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    Print(std::to_string(cursor.x) + " " + std::to_string(cursor.y));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Lines end with a bare line feed, as the test reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) {
        std::fprintf(stderr, "usage: probe COMMAND [ARGUMENTS]\n");
        return 2;
    }
    const std::string command = argv[1];
    const std::wstring first = argc > 2 ? FromUtf8(argv[2]) : std::wstring();
    const std::wstring second = argc > 3 ? FromUtf8(argv[3]) : std::wstring();
    int status = 2;
    if (command == "window" && argc == 3) {
        status = Window(first.c_str());
    } else if (command == "status" && argc == 3) {
        status = Status(first.c_str());
    } else if (command == "texts" && argc == 3) {
        status = Texts(first.c_str());
    } else if (command == "combo" && argc == 3) {
        status = Combo(first.c_str());
    } else if (command == "pick" && (argc == 4 || argc == 5)) {
        const std::wstring text = argc == 5 ? FromUtf8(argv[4]) : std::wstring();
        status = Pick(first.c_str(), std::atoi(argv[3]), argc == 5 ? text.c_str() : nullptr);
    } else if (command == "msgbox" && argc == 4) {
        status = MessageBoxCheck(first.c_str(), std::atoi(argv[3]));
    } else if (command == "message" && argc == 4) {
        status = MessageBoxShown(first.c_str(), std::atoi(argv[3]));
    } else if (command == "held") {
        status = Held();
    } else if (command == "close" && argc == 3) {
        status = CloseBox(first.c_str());
    } else if (command == "closebox" && argc == 3) {
        status = ClickCloseBox(first.c_str());
    } else if (command == "click" && argc == 4) {
        status = Click(first.c_str(), second.c_str());
    } else if (command == "focus" && argc == 3) {
        status = Focus(first.c_str());
    } else if (command == "foreground") {
        status = Foreground();
    } else if (command == "cursor") {
        status = Cursor(argc, argv);
    } else {
        std::fprintf(stderr, "unknown command or arguments: %s\n", command.c_str());
    }
    std::fflush(stdout);
    return status;
}
