#include "app/RunParameters.h"

#include "framework/Rounding.h"

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

int32_t BaseRateFromFrequency(long double frequency) {
    const int64_t rate = RoundToInt64(frequency * 2205.0L);
    return static_cast<int32_t>(std::clamp<int64_t>(rate, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

QString BandLabel(int sliderValue) {
    struct TBand {
        int From; // lowest slider value of the band
        const char* Text;
    };
    static constexpr std::array<TBand, 15> bands = {{
        {5, "Low Delta"},
        {15, "Delta"},
        {30, "High Delta"},
        {39, "Theta/Delta"},
        {43, "Low Theta"},
        {49, "Theta"},
        {71, "High Theta"},
        {77, "Alpha/Theta"},
        {82, "Low Alpha"},
        {99, "Alpha"},
        {124, "High Alpha"},
        {135, "Beta/Alpha"},
        {144, "Low Beta"},
        {160, "Beta"},
        {230, "High Beta"},
    }};
    const char* text = "";
    for (const TBand& band : bands) {
        if (sliderValue >= band.From) text = band.Text;
    }
    return QString::fromLatin1(text);
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
