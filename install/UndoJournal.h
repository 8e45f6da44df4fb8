#pragma once
// The record of every change the installer made to the file system, so that an installation
// that does not complete can be taken back, newest change first.
#include <memory>

#include "../platform/framework/CString.h"

class UndoAction {
public:
    explicit UndoAction(LPCSTR path) : path(path) {}
    virtual ~UndoAction() = default;
    UndoAction(const UndoAction&) = delete;
    UndoAction& operator=(const UndoAction&) = delete;
    // Takes the change back: 0 when the platform did it, -1 when it refused.
    virtual int Undo() = 0;

    CString path;
};

// A directory the installer created; only an empty one can be removed.
class CreatedDirectoryUndo : public UndoAction {
public:
    using UndoAction::UndoAction;
    int Undo() override;
};

// The executable the installer wrote.
class InstalledFileUndo : public UndoAction {
public:
    using UndoAction::UndoAction;
    int Undo() override;
};

// One process-wide journal of at most 100 records.
class UndoJournal {
public:
    static constexpr int kCapacity = 100;

    // Empties the journal and registers its discard for the normal end of the process; called
    // once, during static initialisation, before the application object exists.
    static bool Open();
    // Keeps the record while fewer than kCapacity are held; otherwise the record is dropped.
    static void Push(std::unique_ptr<UndoAction> record);
    // Undoes and frees every record, newest first; failures do not stop it.
    static void Rollback();
    // Frees every record, oldest first, without undoing it: the normal end of the process.
    static void Discard();
    static int Count();

private:
    static std::unique_ptr<UndoAction> slots_[kCapacity];
    static int count_;
};
