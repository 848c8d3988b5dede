#include "platform/gtk/gtk_text_area.h"

#include "platform/gtk/context_watch.h"
#include "platform/gtk/text_ranges.h"
#include "runtime/strings.h"

#include <algorithm>
#include <cstdio>
#include <gtk/gtk.h>

namespace keyweave::gtk {
namespace {

// The characters of text[begin, end) as GTK counts them: a surrogate pair is one.
int CodePointsIn(std::u16string_view text, int begin, int end) {
    int points = 0;
    for (int i = begin; i < end; ++i) {
        const bool pairEnd = text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > 0 &&
                             text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
        points += pairEnd ? 0 : 1;
    }
    return points;
}

// A stretch follows the previous one kStretchGapMs after the view has laid out and drawn it (an
// idle source below GTK's own layout and drawing), so that a pump, which dispatches whatever is
// due, adds one stretch and ends, however long the view's work takes.
constexpr unsigned kStretchGapMs = 20;

} // namespace

GtkTextAreaGadget::GtkTextAreaGadget(int x, int y, int width, int height, int style)
    : GtkGadget(TextAreaClass, x, y, width, height, style,
                gtk_scrolled_window_new(nullptr, nullptr)),
      view_(gtk_text_view_new()), buffer_(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_))) {
    auto* view = GTK_TEXT_VIEW(view_);
    bool readOnly = (style & TextAreaReadOnly) != 0;
    gtk_text_view_set_editable(view, !readOnly);
    gtk_text_view_set_cursor_visible(view, !readOnly);
    gtk_text_view_set_wrap_mode(view, (style & TextAreaWordWrap) ? GTK_WRAP_WORD : GTK_WRAP_NONE);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(widget_), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(widget_), view_);
}

GtkTextAreaGadget::~GtkTextAreaGadget() {
    if (streamSource_ != 0) {
        g_source_remove(streamSource_);
    }
}

void GtkTextAreaGadget::SetColor(Rgb colour) {
    MainContextChanged();
    GtkStyleContext* context = gtk_widget_get_style_context(view_);
    if (background_ == nullptr) {
        background_ = GTK_STYLE_PROVIDER(gtk_css_provider_new());
        gtk_style_context_add_provider(context, background_,
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    char css[128];
    std::snprintf(css, sizeof css, "textview, textview text { background-color: rgb(%d, %d, %d); }",
                  colour.r, colour.g, colour.b);
    gtk_css_provider_load_from_data(GTK_CSS_PROVIDER(background_), css, -1, nullptr);
}

int GtkTextAreaGadget::Offset(int units) const {
    return surrogates_ ? CodePointsBefore(text_, units) : units;
}

void GtkTextAreaGadget::ReplaceText(int pos, int length, const std::u16string& text, int units) {
    MainContextChanged();
    TextRange range = RangeOf(text_, pos, length, units == UnitLines);
    std::u16string replacement = NormaliseLineBreaks(text);
    if (!locks_.empty() && range.begin == 0 && range.end == static_cast<int>(text_.size())) {
        text_ = replacement;
        surrogates_ = HasSurrogates(text_);
        pending_.emplace(std::move(replacement));
        return;
    }
    Flush();
    const bool whole = range.begin == 0 && range.end == static_cast<int>(text_.size());
    if (whole) {
        streaming_.reset();
    } else {
        StreamRest();
    }
    std::string utf8 = ToUtf8(replacement);
    if (whole) {
        gtk_text_buffer_set_text(buffer_, utf8.c_str(), static_cast<int>(utf8.size()));
    } else {
        GtkTextIter begin;
        GtkTextIter end;
        gtk_text_buffer_get_iter_at_offset(buffer_, &begin, Offset(range.begin));
        gtk_text_buffer_get_iter_at_offset(buffer_, &end, Offset(range.end));
        gtk_text_buffer_delete(buffer_, &begin, &end);
        gtk_text_buffer_insert(buffer_, &begin, utf8.c_str(), static_cast<int>(utf8.size()));
    }
    text_.replace(range.begin, range.end - range.begin, replacement);
    surrogates_ = HasSurrogates(text_);
}

std::u16string GtkTextAreaGadget::AreaText(int pos, int length, int units) {
    TextRange range = RangeOf(text_, pos, length, units == UnitLines);
    return text_.substr(range.begin, range.end - range.begin);
}

int GtkTextAreaGadget::AreaLen(int units) {
    if (units == UnitLines) {
        return static_cast<int>(std::count(text_.begin(), text_.end(), u'\n')) + 1;
    }
    return static_cast<int>(text_.size());
}

void GtkTextAreaGadget::LockText() {
    GtkTextIter insert;
    GtkTextIter bound;
    gtk_text_buffer_get_iter_at_mark(buffer_, &insert, gtk_text_buffer_get_insert(buffer_));
    gtk_text_buffer_get_iter_at_mark(buffer_, &bound, gtk_text_buffer_get_selection_bound(buffer_));
    locks_.push_back({gtk_text_iter_get_offset(&insert), gtk_text_iter_get_offset(&bound)});
}

void GtkTextAreaGadget::UnlockText() {
    MainContextChanged();
    if (locks_.empty()) {
        return;
    }
    Selection saved = locks_.back();
    locks_.pop_back();
    if (locks_.empty()) {
        Flush();
    }
    if (std::max(saved.insert, saved.bound) > gtk_text_buffer_get_char_count(buffer_)) {
        StreamRest();
    }
    int size = gtk_text_buffer_get_char_count(buffer_);
    GtkTextIter insert;
    GtkTextIter bound;
    gtk_text_buffer_get_iter_at_offset(buffer_, &insert, std::min(saved.insert, size));
    gtk_text_buffer_get_iter_at_offset(buffer_, &bound, std::min(saved.bound, size));
    gtk_text_buffer_select_range(buffer_, &insert, &bound);
}

GtkTextTag* GtkTextAreaGadget::TagFor(Rgb colour, int flags) {
    char name[32];
    std::snprintf(name, sizeof name, "#%02x%02x%02x/%d", colour.r & 0xFF, colour.g & 0xFF,
                  colour.b & 0xFF, flags & 15);
    GtkTextTag* tag = gtk_text_tag_table_lookup(gtk_text_buffer_get_tag_table(buffer_), name);
    if (tag != nullptr) {
        return tag;
    }
    std::string foreground(name, 7);
    tag = gtk_text_buffer_create_tag(
        buffer_, name, "foreground", foreground.c_str(), "weight",
        (flags & TextBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL, "style",
        (flags & TextItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL, "underline",
        (flags & TextUnderline) ? PANGO_UNDERLINE_SINGLE : PANGO_UNDERLINE_NONE, "strikethrough",
        (flags & TextStrikeThrough) ? TRUE : FALSE, nullptr);
    tags_.push_back(tag);
    return tag;
}

void GtkTextAreaGadget::SetStyle(Rgb colour, int flags, int pos, int length, int units) {
    MainContextChanged();
    TextRange range = RangeOf(text_, pos, length, units == UnitLines);
    if (range.begin >= range.end) {
        return;
    }
    if (pending_) {
        pending_->SetStyle(range, {colour, flags & 15});
        return;
    }
    StreamRest();
    GtkTextIter begin;
    GtkTextIter end;
    gtk_text_buffer_get_iter_at_offset(buffer_, &begin, Offset(range.begin));
    gtk_text_buffer_get_iter_at_offset(buffer_, &end, Offset(range.end));
    // Each tag on its own: removing all tags at once looks for toggles up to the end of the
    // text, which makes colouring a long text line by line quadratic.
    for (GtkTextTag* tag : tags_) {
        gtk_text_buffer_remove_tag(buffer_, tag, &begin, &end);
    }
    gtk_text_buffer_apply_tag(buffer_, TagFor(colour, flags), &begin, &end);
}

void GtkTextAreaGadget::Flush() {
    if (!pending_) {
        return;
    }
    streaming_.emplace(std::move(*pending_));
    pending_.reset();
    gtk_text_buffer_set_text(buffer_, "", 0);
    Stream(streaming_->NextStretch());
    if (streaming_ && streamSource_ == 0) {
        ScheduleStretch();
    }
}

void GtkTextAreaGadget::StreamRest() {
    if (streaming_) {
        Stream(streaming_->Rest());
    }
}

void GtkTextAreaGadget::Stream(TextRange part) {
    const std::u16string& text = streaming_->Styled().Text();
    const std::string utf8 = ToUtf8(text.substr(static_cast<std::size_t>(part.begin),
                                                static_cast<std::size_t>(part.end - part.begin)));
    GtkTextIter at;
    gtk_text_buffer_get_end_iter(buffer_, &at);
    const int first = gtk_text_iter_get_offset(&at);
    gtk_text_buffer_insert(buffer_, &at, utf8.c_str(), static_cast<int>(utf8.size()));
    gtk_text_buffer_get_iter_at_offset(buffer_, &at, first);
    for (const StyledText::Run& run : streaming_->Styled().Runs(part)) {
        GtkTextIter runEnd = at;
        gtk_text_iter_forward_chars(&runEnd, CodePointsIn(text, run.begin, run.end));
        if (run.style != nullptr) {
            gtk_text_buffer_apply_tag(buffer_, TagFor(run.style->colour, run.style->flags), &at,
                                      &runEnd);
        }
        at = runEnd;
    }
    if (streaming_->AllSent()) {
        streaming_.reset();
    }
}

void GtkTextAreaGadget::ScheduleStretch() {
    streamSource_ = g_idle_add_full(G_PRIORITY_LOW, StretchLaidOut, this, nullptr);
}

int GtkTextAreaGadget::StretchLaidOut(void* data) {
    auto* area = static_cast<GtkTextAreaGadget*>(data);
    area->streamSource_ = g_timeout_add(kStretchGapMs, StreamMore, area);
    return G_SOURCE_REMOVE;
}

// The caret and the selection stay where the user left them. While a batch of changes is
// under way the stretch waits another gap.
int GtkTextAreaGadget::StreamMore(void* data) {
    auto* area = static_cast<GtkTextAreaGadget*>(data);
    if (!area->streaming_) {
        area->streamSource_ = 0;
        return G_SOURCE_REMOVE;
    }
    if (!area->locks_.empty()) {
        return G_SOURCE_CONTINUE;
    }
    GtkTextIter insert;
    GtkTextIter bound;
    gtk_text_buffer_get_iter_at_mark(area->buffer_, &insert,
                                     gtk_text_buffer_get_insert(area->buffer_));
    gtk_text_buffer_get_iter_at_mark(area->buffer_, &bound,
                                     gtk_text_buffer_get_selection_bound(area->buffer_));
    const int insertAt = gtk_text_iter_get_offset(&insert);
    const int boundAt = gtk_text_iter_get_offset(&bound);
    area->Stream(area->streaming_->NextStretch());
    gtk_text_buffer_get_iter_at_offset(area->buffer_, &insert, insertAt);
    gtk_text_buffer_get_iter_at_offset(area->buffer_, &bound, boundAt);
    gtk_text_buffer_select_range(area->buffer_, &insert, &bound);
    area->streamSource_ = 0;
    if (area->streaming_) {
        area->ScheduleStretch();
    }
    return G_SOURCE_REMOVE;
}

} // namespace keyweave::gtk
