#pragma once
// Line edits taking millimetres with one decimal: the print-settings page's offsets and the
// calibration dialog's measured moves.

class QLineEdit;

namespace dorvane {

// Only digits, the minus sign, Backspace and one decimal point may be typed into edit; keys
// that type nothing (arrows, Delete) and shortcuts (Ctrl+V pastes unfiltered) pass.
void AcceptMillimetresOnly(QLineEdit* edit);

} // namespace dorvane
