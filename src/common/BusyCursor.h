#pragma once

// The hourglass pointer during long database work. Set and clear, as the program's procedures
// do: setting twice and clearing once leaves the default pointer, never a stuck hourglass.

namespace bm {

void setHourglass();
void setDefaultPointer();
bool isHourglass();

// The hourglass for the life of a scope; done() puts the default pointer back early (before a
// message box, say).
class BusyCursor {
public:
    BusyCursor() { setHourglass(); }
    ~BusyCursor() { done(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
    void done() {
        if (active_)
            setDefaultPointer();
        active_ = false;
    }

private:
    bool active_ = true;
};

} // namespace bm
