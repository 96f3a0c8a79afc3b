#pragma once

// The hourglass pointer during long database work. Set and clear, as the program's procedures
// do: setting twice and clearing once leaves the default pointer, never a stuck hourglass.

namespace bm {

void setHourglass();
void setDefaultPointer();
bool isHourglass();

} // namespace bm
