#include "platform/ModalRunner.h"

#include <QDialog>

#include <utility>

namespace {
ModalHook& CurrentHook()
{
    static ModalHook hook;
    return hook;
}
}  // namespace

int RunModal(QDialog& dialog)
{
    if (CurrentHook())
        return CurrentHook()(dialog);
    return dialog.exec();
}

ScopedModalHook::ScopedModalHook(ModalHook hook)
    : m_previous(std::exchange(CurrentHook(), std::move(hook)))
{
}

ScopedModalHook::~ScopedModalHook()
{
    CurrentHook() = std::move(m_previous);
}
