// What the launcher window does with keys, typed text, clicks on rows and its
// refresh timer: everything but the window system itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/launcher_controls.h"
#include "index/tolvanir_list.h"
#include "search/launcher_query.h"

namespace tolvanir {

class launcher_logic {
  public:
    // Starts the text through the shell, as administrator when `elevated`,
    // without waiting for it: `accepted` is called on the window thread once
    // the shell has accepted the text, and never when it refused.
    using shell_fn = std::function<void(const std::wstring& text, bool elevated,
                                        std::function<void()> accepted)>;
    using command_fn = std::function<void(bool from_list, const std::wstring& key)>;

    launcher_logic(tolvanir_list& index, launcher_controls& controls, shell_fn shell);

    // Where "!" queries and their picks go.
    void set_commands(launcher_query::command_search_fn search, command_fn run);
    // Long lists are filled in slices: `later` asks the window to call
    // on_fill_slice soon, after the input and painting already waiting.
    void set_fill_scheduler(std::function<void()> later) { schedule_fill_ = std::move(later); }

    // Before the window is shown: a hidden window's input line holds only keys
    // that arrived after the hide, meant for another window; they go. The
    // rows for the line's text are listed now, so that the window's first
    // frame shows them.
    void prepare_show();
    // The last steps of showing the window: take input, focus the input line
    // and list the rows for its text (kept from prepare_show when neither the
    // text nor the index changed meanwhile).
    void on_shown();
    void hide_launcher();
    // A key the hook took while the window was in front, with Ctrl and Shift
    // as they were when it was pressed: Ctrl+Shift+Enter starts the pick as
    // administrator. A key that comes after the window was hidden, or stopped
    // taking input, does nothing.
    void on_key(unsigned vk, bool control = false, bool shift = false);
    // The input line's text changed.
    void on_input_changed();
    // The result list's selection changed (a click on a row).
    void on_selection_changed();
    // The result list took the focus: letters typed into it look for their
    // row among every row.
    void on_list_focus();
    // One slice of an unfinished fill; true while rows remain.
    bool on_fill_slice();
    // The rest of the fill is wanted soon: its slices need not wait for input.
    [[nodiscard]] bool fill_is_urgent() const { return fill_urgent_ && fill_.pending(); }
    // The refresh timer: reruns the item query when the index changed under
    // a visible window. The selected item stays selected while it is listed.
    void on_timer();

    void on_query_changed();
    void launch_selection(bool from_list, bool elevated = false);
    void run_launch_text(bool from_list, const std::wstring& text, bool elevated = false);
    void shell_launch(bool from_list, const std::wstring& text, bool elevated = false);

    [[nodiscard]] bool accepting_input() const { return accepting_input_; }
    [[nodiscard]] std::int32_t command_mode() const { return query_.command_mode(); }
    [[nodiscard]] const shown_results& results() const { return query_.results(); }

  private:
    void run_query(const std::wstring* keep);
    // The selection, counting a row still to come in.
    [[nodiscard]] int selected_row() const;
    void select_row(int row);
    void hurry_fill();

    tolvanir_list& index_;
    launcher_controls& controls_;
    launcher_query query_;
    sliced_fill fill_;
    shell_fn shell_;
    command_fn run_command_;
    std::function<void()> schedule_fill_;
    bool accepting_input_ = false;
    bool fill_urgent_ = false;
    // The list holds the rows of a query for this text.
    bool listed_ = false;
    std::wstring listed_text_;
};

}  // namespace tolvanir
