// The one rotating look-up shared by the system's lists: it starts at the
// current position, walks to the end, wraps to the start and stops before the
// position it began at. Repeating a look-up of the same key is thus immediate.
#pragma once

// Walker: Seek(index) positions at an element, Next() advances one, Matches()
// tests the element at the position. Returns the index of the first match in
// rotating order, or -1.
template <class Walker>
int RotatingFind(Walker& walker, int count, int start) {
    if (start < 0 || start >= count) start = 0;
    walker.Seek(start);
    for (int i = start; i < count; ++i, walker.Next()) {
        if (walker.Matches()) return i;
    }
    walker.Seek(0);
    for (int i = 0; i < start; ++i, walker.Next()) {
        if (walker.Matches()) return i;
    }
    return -1;
}
