#pragma once

class QDialog;
class QFormLayout;

// Lays a driver dialog out as its form above OK and Cancel, which accept and reject it.
void LayOutFormWithOkCancel(QDialog& dialog, QFormLayout* form);
