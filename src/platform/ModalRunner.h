#pragma once

#include <functional>

class QDialog;

// Runs a dialog modally. Tests install a hook that answers the real dialog object instead
// (fills it, clicks its buttons) and returns its result, so no modal loop blocks them.
int RunModal(QDialog& dialog);

using ModalHook = std::function<int(QDialog&)>;

// Installs a hook for as long as the object lives; used only by tests.
class ScopedModalHook {
public:
    explicit ScopedModalHook(ModalHook hook);
    ~ScopedModalHook();
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;

private:
    ModalHook m_previous;
};
