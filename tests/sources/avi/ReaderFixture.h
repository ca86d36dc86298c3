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
    TempFolder folder_;
    AVIFileObj reader_;
    QStringList messages_;
    ScopedModalHook hook_{[this](QDialog& dialog) {
        const auto* box = qobject_cast<QMessageBox*>(&dialog);
        messages_.append(box != nullptr ? box->text() : QString("(not a message box)"));
        return int(QMessageBox::Ok);
    }};
};
