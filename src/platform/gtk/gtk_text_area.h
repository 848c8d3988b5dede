#pragma once

#include "platform/gtk/gtk_gadgets.h"
#include "runtime/gui/styled_text.h"

#include <optional>
#include <string>
#include <vector>

typedef struct _GtkTextBuffer GtkTextBuffer;
typedef struct _GtkTextTag GtkTextTag;
typedef struct _GtkStyleProvider GtkStyleProvider;

namespace keyweave::gtk {

// A scrolling text view, read-only with style 2 and wrapping words with style 1, with its
// background colour and per-range text colours (text tags). Positions count UTF-16 code units
// as the program does, a line break being one character; the gadget keeps its text as the
// program set it, so that reading it back costs no conversion. Locks are counted; each unlock
// restores the caret and selection of its lock. GTK lays out and draws only between main-loop
// iterations, so a batch of changes is shown once without more ado. A whole text replaced
// while the area is locked, and the colours then given to it, are kept here until the last
// unlock, which fills the buffer without a tag to remove: the first stretch of the text at
// once, with one tag per run of one colour, and the rest a stretch at a time from a short
// timeout, so that the view lays out a long text without keeping the window from answering.
// Any change other than a new whole text first adds what is still missing.
class GtkTextAreaGadget final : public GtkGadget {
public:
    GtkTextAreaGadget(int x, int y, int width, int height, int style);
    ~GtkTextAreaGadget() override;
    GtkTextAreaGadget(const GtkTextAreaGadget&) = delete;
    GtkTextAreaGadget& operator=(const GtkTextAreaGadget&) = delete;

    void SetColor(Rgb colour) override;
    void ReplaceText(int pos, int length, const std::u16string& text, int units) override;
    std::u16string AreaText(int pos, int length, int units) override;
    int AreaLen(int units) override;
    void LockText() override;
    void UnlockText() override;
    void SetStyle(Rgb colour, int flags, int pos, int length, int units) override;

private:
    struct Selection {
        int insert;
        int bound;
    };

    // The buffer's character offset of a position in `text_`.
    int Offset(int units) const;
    GtkTextTag* TagFor(Rgb colour, int flags);
    // Hands the pending text and its colours to the buffer: its first stretch.
    void Flush();
    // Adds a part of the streamed text to the buffer; the stream ends with its last part.
    void Stream(TextRange part);
    void StreamRest();
    // Times the next stretch from when the view has laid out and drawn this one.
    void ScheduleStretch();
    static int StretchLaidOut(void* area);
    static int StreamMore(void* area);

    GtkWidget* view_;
    GtkTextBuffer* buffer_;
    GtkStyleProvider* background_ = nullptr;
    std::u16string text_;
    bool surrogates_ = false;
    std::vector<Selection> locks_;
    std::vector<GtkTextTag*> tags_; // every colour tag made so far
    std::optional<StyledText> pending_;
    // A text not all in the buffer yet, and the GLib source on the way to its next stretch.
    std::optional<StreamedText> streaming_;
    unsigned streamSource_ = 0;
};

} // namespace keyweave::gtk
