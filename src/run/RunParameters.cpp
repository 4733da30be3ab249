// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunParameters.h"

#include "framework/Rounding.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <limits>

TRunParameters RunParams;

int SliderValueFromFrequency(long double frequency) {
    const int64_t v = RoundToInt64(frequency * 10.0L);
    return static_cast<int>(std::clamp<int64_t>(v, kMinSliderValue, kMaxSliderValue));
}

long double FrequencyFromSliderValue(int sliderValue) {
    return sliderValue * 0.1L;
}

int PictureInterval(int sliderValue) {
    return 5000 / std::max(sliderValue, 1);
}

int SoundInterval(int pictureInterval, bool halfPeriod) {
    return pictureInterval / (halfPeriod ? 5 : 10);
}

uint32_t FrequencyMilliHz(long double frequency) {
    const int64_t milli = RoundToInt64(frequency * 1000.0L);
    return static_cast<uint32_t>(
        std::clamp<int64_t>(milli, 0, std::numeric_limits<uint32_t>::max()));
}

int32_t BaseRateFromFrequency(long double frequency) {
    const int64_t rate = RoundToInt64(frequency * 2205.0L);
    return static_cast<int32_t>(std::clamp<int64_t>(rate, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

TFrequencySettings FrequencySettings(long double frequency) {
    TFrequencySettings s;
    s.SliderValue = SliderValueFromFrequency(frequency);
    s.PictureInterval = PictureInterval(s.SliderValue);
    s.SoundInterval = SoundInterval(s.PictureInterval, false);
    s.BaseRate = BaseRateFromFrequency(frequency);
    return s;
}

QString BandLabel(int sliderValue) {
    struct TBand {
        int From; // lowest slider value of the band
        const char* Text;
    };
    static constexpr std::array<TBand, 15> bands = {{
        {5, QT_TRANSLATE_NOOP("RunParameters", "Low Delta")},
        {15, QT_TRANSLATE_NOOP("RunParameters", "Delta")},
        {30, QT_TRANSLATE_NOOP("RunParameters", "High Delta")},
        {39, QT_TRANSLATE_NOOP("RunParameters", "Theta/Delta")},
        {43, QT_TRANSLATE_NOOP("RunParameters", "Low Theta")},
        {49, QT_TRANSLATE_NOOP("RunParameters", "Theta")},
        {71, QT_TRANSLATE_NOOP("RunParameters", "High Theta")},
        {77, QT_TRANSLATE_NOOP("RunParameters", "Alpha/Theta")},
        {82, QT_TRANSLATE_NOOP("RunParameters", "Low Alpha")},
        {99, QT_TRANSLATE_NOOP("RunParameters", "Alpha")},
        {124, QT_TRANSLATE_NOOP("RunParameters", "High Alpha")},
        {135, QT_TRANSLATE_NOOP("RunParameters", "Beta/Alpha")},
        {144, QT_TRANSLATE_NOOP("RunParameters", "Low Beta")},
        {160, QT_TRANSLATE_NOOP("RunParameters", "Beta")},
        {230, QT_TRANSLATE_NOOP("RunParameters", "High Beta")},
    }};
    const char* text = "";
    for (const TBand& band : bands) {
        if (sliderValue >= band.From) text = band.Text;
    }
    return *text ? QCoreApplication::translate("RunParameters", text) : QString();
}

int TransformLevelFromKnob(int position) {
    return position == 0 ? 1 : position;
}

int32_t AMDepthFromKnob(int position) {
    return position * 100;
}

int32_t FMDepthFromKnob(int position) {
    return position * 200;
}
