#pragma once

#include "platform/ModalRunner.h"
#include "sources/avi/AVIFileObj.h"
#include "support/TempFolder.h"

#include <QMessageBox>
#include <QStringList>

// A reader, a folder for the files it reads, and every message box it shows answered with
// OK, its text kept in order.
class ReaderFixture {
protected:
    TempFolder m_folder;
    AVIFileObj m_reader;
    QStringList m_messages;
    ScopedModalHook m_hook{[this](QDialog& dialog) {
        const auto* box = qobject_cast<QMessageBox*>(&dialog);
        m_messages.append(box != nullptr ? box->text() : QString("(not a message box)"));
        return int(QMessageBox::Ok);
    }};
};
