// Reads the colours a style sheet declares and judges whether its texts stay readable: every text
// colour against every colour of the background it is drawn on (each stop of a gradient), in
// every state the sheet styles, plus disabled texts that are clearly dimmer than enabled ones.
#pragma once

#include <QColor>
#include <QString>
#include <vector>

namespace velmora::test {

// WCAG contrast ratio of two opaque colours, 1 (same) to 21 (black on white).
double contrastRatio(const QColor& first, const QColor& second);

// CIE L* of a colour: 0 black .. 100 white.
double perceivedLightness(const QColor& colour);

// The minimum contrast for normal text, and how far (in L*) a disabled text colour has to move
// away from the enabled one to look clearly dimmer.
inline constexpr double kMinimumContrast = 4.5;
inline constexpr double kDisabledLightnessStep = 20.0;

// One line per problem ("QPushButton:hover: 3.10:1 on #4f86c6"); empty when every text is
// readable.
std::vector<QString> findContrastProblems(const QString& sheet);

}  // namespace velmora::test
