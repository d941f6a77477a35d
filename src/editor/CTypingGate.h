// Batches keystrokes: a change is processed only after one whole quiet
// period of the colouring timer, between one and two periods after the last
// keystroke.
#pragma once

class CTypingGate {
public:
    void changed() { m_typed = true; }
    // One timer tick; true when the change should be processed now.
    bool tick()
    {
        if (m_typed) {
            m_typed = false;
            m_pending = true;
            return false;
        }
        const bool due = m_pending;
        m_pending = false;
        return due;
    }
    bool isWaiting() const { return m_typed || m_pending; }
    void clear() { m_typed = m_pending = false; }

private:
    bool m_typed = false;
    bool m_pending = false;
};
