// The memory layout of the shared list (current, head, tail, count, current
// index) as it is found inside records that modules hand to each other, e.g.
// the flight list of the mission record. A reader may move the current
// position (current node and index together) but never links or frees nodes.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct CursorListNodeRecord {
    CursorListNodeRecord* next;
    CursorListNodeRecord* previous;
    void* element;
};

struct CursorListRecord {
    CursorListNodeRecord* current;  // null when there is no current node
    CursorListNodeRecord* head;
    CursorListNodeRecord* tail;
    int32_t count;
    int32_t currentIndex;           // -1 when there is no current node
};

static_assert(sizeof(void*) != 4 || sizeof(CursorListNodeRecord) == 12, "list node layout");
static_assert(sizeof(void*) != 4 || sizeof(CursorListRecord) == 20, "list layout");
static_assert(sizeof(void*) != 4 || offsetof(CursorListRecord, count) == 12, "list layout");
static_assert(sizeof(void*) != 4 || offsetof(CursorListRecord, currentIndex) == 16, "list layout");
