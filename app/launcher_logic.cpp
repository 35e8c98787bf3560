#include "app/launcher_logic.h"

#include "app/virtual_keys.h"

namespace tolvanir {

launcher_logic::launcher_logic(tolvanir_list& index, launcher_controls& controls, shell_fn shell)
    : index_(index), controls_(controls), query_(index), shell_(std::move(shell)) {}

void launcher_logic::set_commands(launcher_query::command_search_fn search, command_fn run) {
    query_.set_command_search(std::move(search));
    run_command_ = std::move(run);
}

void launcher_logic::prepare_show() {
    if (!controls_.window_visible() && !controls_.input_text().empty()) {
        controls_.set_input_text(std::wstring());
    }
    run_query(nullptr);
}

void launcher_logic::on_shown() {
    accepting_input_ = true;
    controls_.focus_input();
    if (!listed_ || controls_.input_text() != listed_text_ || index_.is_changed()) {
        on_query_changed();
    }
}

void launcher_logic::hide_launcher() {
    accepting_input_ = false;
    fill_.cancel();
    fill_urgent_ = false;
    listed_ = false;
    controls_.reset_content();
    controls_.set_input_text(std::wstring());
    controls_.hide_window();
}

void launcher_logic::on_key(unsigned vk, bool control, bool shift) {
    // The key waited in the queue behind others: the window may be gone by now.
    if (!accepting_input_ || !controls_.window_visible()) return;
    switch (vk) {
        case vk_return:
            launch_selection(selected_row() != -1, control && shift);
            break;
        case vk_escape:
            if (!controls_.input_text().empty()) {
                controls_.set_input_text(std::wstring());
            } else {
                hide_launcher();
            }
            break;
        // Rows still to come count as rows: Up from the first row goes to the
        // true last one, selected when its slice comes in, sooner than usual.
        case vk_up:
            if (controls_.input_has_focus()) {
                const int current = selected_row();
                const int count = static_cast<int>(fill_.total());
                select_row(current <= 0 ? count - 1 : current - 1);
            }
            break;
        case vk_down:
            if (controls_.input_has_focus()) {
                const int current = selected_row();
                const int count = static_cast<int>(fill_.total());
                select_row(current < count - 1 ? current + 1 : 0);
            }
            break;
        default:
            break;  // Tab and anything else: swallowed, nothing to do
    }
}

void launcher_logic::on_input_changed() {
    if (accepting_input_) on_query_changed();
}

void launcher_logic::on_selection_changed() {
    if (!accepting_input_) return;
    fill_.select(controls_.cur_sel());  // the row clicked, not one still to come
    launch_selection(true);
}

// Letters typed into the list look for their row among every row: the rest
// comes in before them, in slices that no longer wait for input.
void launcher_logic::on_list_focus() { hurry_fill(); }

int launcher_logic::selected_row() const {
    return fill_.target() >= 0 ? fill_.target() : controls_.cur_sel();
}

void launcher_logic::select_row(int row) {
    fill_.select(row);
    if (fill_.target() >= 0) hurry_fill();
}

void launcher_logic::hurry_fill() {
    if (!fill_.pending()) return;
    fill_urgent_ = true;
    if (schedule_fill_) {
        schedule_fill_();
    } else {
        fill_.complete();
    }
}

bool launcher_logic::on_fill_slice() { return fill_.step(); }

void launcher_logic::on_timer() {
    if (controls_.window_visible() && query_.command_mode() == item_search_mode &&
        index_.is_changed()) {
        // The user may have moved to the row Enter is about to start.
        const int row = selected_row();
        const shown_results& shown = query_.results();
        const std::wstring kept =
            row >= 0 && static_cast<std::size_t>(row) < shown.size() ? shown[row].launch_text : L"";
        run_query(row >= 0 ? &kept : nullptr);
    }
}

void launcher_logic::on_query_changed() { run_query(nullptr); }

void launcher_logic::run_query(const std::wstring* keep) {
    const std::wstring text = controls_.input_text();
    const int selected = query_.search(text, keep);
    fill_urgent_ = false;
    fill_.start(controls_, query_.results(), selected);
    listed_ = true;
    listed_text_ = text;
    if (!fill_.pending()) return;
    if (schedule_fill_) {
        schedule_fill_();
    } else {
        fill_.complete();
    }
}

void launcher_logic::launch_selection(bool from_list, bool elevated) {
    std::wstring text;
    if (from_list) {
        // The row leads to its entry by its number among the shown results,
        // never through the row's item data: any program can set that. A
        // selection change can report no row (the list was emptied under the
        // click); there is nothing to launch then.
        const int row = selected_row();
        const shown_results& shown = query_.results();
        if (row < 0 || static_cast<std::size_t>(row) >= shown.size()) {
            hide_launcher();
            return;
        }
        text = shown[static_cast<std::size_t>(row)].launch_text;
    } else {
        text = controls_.input_text();
    }
    hide_launcher();
    run_launch_text(from_list, text, elevated);
}

void launcher_logic::run_launch_text(bool from_list, const std::wstring& text, bool elevated) {
    if (query_.command_mode() == item_search_mode) {
        shell_launch(from_list, text, elevated);
    } else if (run_command_) {
        run_command_(from_list, text);
    }
}

void launcher_logic::shell_launch(bool from_list, const std::wstring& text, bool elevated) {
    tolvanir_list& index = index_;
    shell_(text, elevated, [&index, from_list, text] {
        if (from_list) index.count_use(text);
    });
}

}  // namespace tolvanir
