// Where the owner of a behaviour registers the handler of a command id.
// The main window's actions (menus, toolbars, accelerators) route each command
// to one owner: the nearest owner around the keyboard focus, else the
// window-wide one. An id that no owner handles is disabled, never enabled and
// dead.
#pragma once

#include <QObject>

#include <functional>

class CommandHandlers {
public:
    using Run = std::function<void()>;
    using Rule = std::function<bool()>;

    enum class Scope {
        // The command reaches the owner (a QWidget) while it or one of its
        // children has the keyboard focus: Copy in a grid, Undo in a view.
        Focus,
        // The command reaches the owner whatever has the focus, unless a
        // focused owner handles the same id: File > Open, Results Stash...
        Window,
    };

    virtual ~CommandHandlers() = default;

    // Registers owner's handler of id. enabled (default: always) and checked
    // (default: not checkable) are evaluated on the window's thread whenever
    // the states are brought up to date. The handler goes with its owner.
    virtual void addHandler(int id, QObject* owner, Scope scope, Run run, Rule enabled = {}, Rule checked = {}) = 0;
    virtual void removeHandler(int id, QObject* owner) = 0;
    // Brings enabled and checked states up to date now (also done on focus
    // changes, before menus open and on the window's timer).
    virtual void updateCommands() = 0;
};
