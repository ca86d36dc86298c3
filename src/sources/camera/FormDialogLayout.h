#pragma once

class QDialog;
class QDialogButtonBox;
class QFormLayout;

// Lays a driver dialog out as its form above OK and Cancel, which accept and reject it;
// returns their button box.
QDialogButtonBox* LayOutFormWithOkCancel(QDialog& dialog, QFormLayout* form);
