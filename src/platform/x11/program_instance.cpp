#include "platform/x11/program_instance.h"

#include "platform/platform_input.h"
#include "platform/system_driver.h"
#include "platform/x11/application_id.h"
#include "runtime/strings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gio/gio.h>
#include <gtk/gtk.h>
#include <vector>

namespace keyweave::x11 {

namespace {

std::vector<std::string> ArgumentsAfterName(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

RequestKind KindOfAction(const char* name) {
    if (std::strcmp(name, "start") == 0) {
        return RequestKind::Start;
    }
    return std::strcmp(name, "stop") == 0 ? RequestKind::Stop : RequestKind::Toggle;
}

void TellOwnStandardError(const RequestOutcome& outcome) {
    if (!outcome.message.empty()) {
        std::fprintf(stderr, "%s\n", ToUtf8(outcome.message).c_str());
    }
}

// The main window and the message box above it, if one is open, come to the front.
void PresentWindows() {
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item != nullptr; item = item->next) {
        GtkWindow* window = GTK_WINDOW(item->data);
        if (gtk_widget_get_visible(GTK_WIDGET(window)) &&
            gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL) {
            gtk_window_present(window);
        }
    }
    g_list_free(windows);
}

// `gapplication action ID toggle "'Name'"`: what came of it goes to this program's standard
// error, as the caller has none to give.
void OnAction(GSimpleAction* action, GVariant* parameter, gpointer) {
    const char* name = parameter != nullptr ? g_variant_get_string(parameter, nullptr) : "";
    TellOwnStandardError(
        InputRequest(KindOfAction(g_action_get_name(G_ACTION(action))), FromUtf8(name)));
}

const GActionEntry kActions[] = {
    {"toggle", OnAction, "s", nullptr, nullptr, {0, 0, 0}},
    {"start", OnAction, "s", nullptr, nullptr, {0, 0, 0}},
    {"stop", OnAction, nullptr, nullptr, nullptr, {0, 0, 0}},
};

// Another process of this folder's program handed over its arguments, which it read already:
// the caller prints what this one tells it and ends with the status returned.
int OnCommandLine(GApplication*, GApplicationCommandLine* caller, gpointer) {
    int argc = 0;
    gchar** argv = g_application_command_line_get_arguments(caller, &argc);
    const CommandLine line = ReadCommandLine(ArgumentsAfterName(argc, argv));
    g_strfreev(argv);
    if (line.kind == CommandLine::Kind::Run) {
        PresentWindows();
        return 0;
    }
    if (line.kind != CommandLine::Kind::Request) {
        g_application_command_line_printerr(caller, "%s", kUsageText);
        return kExitUsage;
    }
    const RequestOutcome outcome = InputRequest(line.request, FromUtf8(line.scriptName));
    if (!outcome.message.empty()) {
        g_application_command_line_printerr(caller, "%s\n", ToUtf8(outcome.message).c_str());
    }
    return ExitStatusOf(outcome);
}

void OnActivate(GApplication*, gpointer) {
    PresentWindows();
}

[[noreturn]] void ExitUnreachable(const std::string& why) {
    std::fprintf(stderr, "keyweave: %s: cannot reach the Keyweave of this folder.\n", why.c_str());
    std::exit(kExitUnreachable);
}

} // namespace

ProgramInstance::ProgramInstance(const CommandLine& line, int argc, char** argv) : line_(line) {
    application_ =
        g_application_new(CurrentApplicationId().c_str(), G_APPLICATION_HANDLES_COMMAND_LINE);
    g_action_map_add_action_entries(G_ACTION_MAP(application_), kActions, G_N_ELEMENTS(kActions),
                                    nullptr);
    g_signal_connect(application_, "command-line", G_CALLBACK(OnCommandLine), nullptr);
    g_signal_connect(application_, "activate", G_CALLBACK(OnActivate), nullptr);
    GError* error = nullptr;
    const bool registered = g_application_register(application_, nullptr, &error);
    const bool request = line.kind == CommandLine::Kind::Request;
    if (!registered) {
        const std::string why = error->message;
        g_error_free(error);
        if (request) {
            ExitUnreachable(why);
        }
        return;
    }
    if (g_application_get_is_remote(application_)) {
        std::exit(g_application_run(application_, argc, argv));
    }
    // GApplication runs without a bus when it cannot connect to one: unregistered, unique to
    // nobody.
    if (request && g_application_get_dbus_connection(application_) == nullptr) {
        ExitUnreachable("no session bus");
    }
}

ProgramInstance::~ProgramInstance() {
    g_object_unref(application_);
}

void ProgramInstance::CarryOutOwnRequest(SystemDriver& system) const {
    if (line_.kind != CommandLine::Kind::Request) {
        return;
    }
    system.PostMainThreadCall([line = line_] {
        TellOwnStandardError(InputRequest(line.request, FromUtf8(line.scriptName)));
    });
}

} // namespace keyweave::x11
