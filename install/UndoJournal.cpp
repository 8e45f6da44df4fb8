#include "UndoJournal.h"

std::unique_ptr<UndoAction> UndoJournal::slots_[UndoJournal::kCapacity];
int UndoJournal::count_ = 0;

int CreatedDirectoryUndo::Undo() {
    return _rmdir(path) == 0 ? 0 : -1;
}

int InstalledFileUndo::Undo() {
    return remove(path) == 0 ? 0 : -1;
}

bool UndoJournal::Open() {
    count_ = 0;
    atexit(&UndoJournal::Discard);
    return true;
}

void UndoJournal::Push(std::unique_ptr<UndoAction> record) {
    if (count_ < kCapacity) {
        slots_[count_] = std::move(record);
        ++count_;
    }
}

void UndoJournal::Rollback() {
    for (int i = count_ - 1; i >= 0; --i) {
        std::unique_ptr<UndoAction> record = std::move(slots_[i]);
        record->Undo();
    }
    count_ = 0;
}

void UndoJournal::Discard() {
    for (int i = 0; i < count_; ++i) {
        slots_[i].reset();
    }
}

int UndoJournal::Count() {
    return count_;
}
