#pragma once

#include <memory>
#include <string>

namespace keyweave {

class TGadget;
class TObject;

// The one way by which a platform tells the core what happened on its side; the seams are
// the other way, the core asking. The core implements these functions. A platform calls them
// on the main thread only: from its pump, its window procedures, its signal handling, never
// from another thread.
//
// Key changes need no call: the core polls the keyboard every turn, and a platform that can
// tell when a key changes ends its own pause (SystemDriver::SleepUntilChange).

// The system asks the program to end (a SIGTERM, say). The core handles it as the main
// window's close box, at once, also while a message box is open.
void InputCloseRequest();

// The platform lost its connection to the display and will end the process itself. The core
// releases every key and button it holds, through the devices, at once; the platform gives
// them a live connection first and ends the process afterwards.
void InputConnectionLost();

// The user acted on a gadget: clicked a button (`data` the button's state, 0 for a push
// button), picked a combo box item other than the current one (`data` the item's index,
// `extra` its extra object) or edited an editable combo box's text (`data` -1).
void InputGadgetAction(TGadget& gadget, int data, std::shared_ptr<TObject> extra);

// The user asked to close a window: its close box, the system menu's Close, Alt+F4. The
// window stays open; the core decides.
void InputWindowClose(TGadget& window);

// A keyboard or mouse message of a window that asked for raw input, as the event `id`
// (runtime/events/event_id.h) of `source` with the modifier bits `mods`.
void InputRawEvent(int id, const std::shared_ptr<TObject>& source, int data, int mods, int x,
                   int y);

// What another program asks of the running one (`keyweave --toggle`, `--start`, `--stop`).
// The values travel between processes.
enum class RequestKind { Toggle = 0, Start = 1, Stop = 2 };

struct RequestOutcome {
    enum class Result { Done, NoSuchScript, Busy };
    Result result = Result::Done;
    // What the program that asked is told, one line without its line break; empty when done.
    std::u16string message;
};

// Another program asks to start or stop a script: Toggle as a press of the Start/Stop keys,
// Start only when it does not run, Stop whatever runs. A non-empty `scriptName` names the
// script of the list to choose first. The core carries the request out at once and tells what
// came of it; a request that names no loaded script, or that comes while a recording or a
// binding is under way, changes nothing.
RequestOutcome InputRequest(RequestKind kind, const std::u16string& scriptName);

} // namespace keyweave
