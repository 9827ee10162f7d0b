#pragma once
// Who wants to know when the address book changed: the main window's lists refill from it the
// moment a dialog writes a row, or points the program at another store, while the dialog is
// still open. The registry belongs to the window; the dialogs that write are handed it.

#include <functional>
#include <vector>

namespace dorvane {

// What changed: the rows of one table, or the store's place itself (then every table's rows).
enum class StoreChange { Goods, Addresses, PrintLog, Location };

class StoreListeners {
public:
    using Listener = std::function<void()>;

    // Calls listener whenever change is told, and after a Location change whatever was
    // subscribed to. The number returned ends it through unsubscribe.
    int subscribe(StoreChange change, Listener listener);
    void unsubscribe(int id);

    // Tells the listeners of change. A listener may subscribe or unsubscribe while it is told:
    // those told are the ones subscribed when notify began and still subscribed.
    void notify(StoreChange change);

private:
    struct Entry {
        int id;
        StoreChange change;
        Listener listener;
    };
    std::vector<Entry> entries_;
    int nextId_ = 1;
};

} // namespace dorvane
