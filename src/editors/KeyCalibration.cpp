#include "editors/KeyCalibration.h"

#include "protocol/EepromLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string NoteName(int note)
{
    static constexpr const char* kPitchNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int pitchClass = ((note % 12) + 12) % 12;
    const int octave = (note - pitchClass) / 12 - 1;
    return std::string(kPitchNames[pitchClass]) + std::to_string(octave);
}

namespace {

int ReadSlot(std::span<const int32_t> image, int slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= image.size())
        return 0;
    return std::clamp<int32_t>(image[static_cast<size_t>(slot)], 0, 255);
}

double MedianOf(std::array<double, CKeyCalibration::kNeighbours> values)
{
    static_assert(CKeyCalibration::kNeighbours % 2 == 0);
    constexpr size_t half = CKeyCalibration::kNeighbours / 2;
    std::sort(values.begin(), values.end());
    return (values[half - 1] + values[half]) / 2.0;
}

struct Verdict {
    bool outlier = false;
    double median = 0.0;
};

// Compares key `key` with its eight nearest other keys; near the ends the
// window slides inwards so that it still holds eight existing keys.
template <typename ValueOf>
Verdict Judge(int key, int keyCount, ValueOf valueOf)
{
    constexpr int n = CKeyCalibration::kNeighbours;
    const int first = std::clamp(key - n / 2, 0, keyCount - n - 1);
    std::array<double, n> neighbours{};
    size_t count = 0;
    for (int other = first; other <= first + n; ++other) {
        if (other != key)
            neighbours[count++] = valueOf(other);
    }
    Verdict verdict;
    verdict.median = MedianOf(neighbours);
    for (double& value : neighbours)
        value = std::abs(value - verdict.median);
    const double mad = std::max(MedianOf(neighbours), CKeyCalibration::kMadFloor);
    verdict.outlier = std::abs(valueOf(key) - verdict.median) > CKeyCalibration::kOutlierMads * mad;
    return verdict;
}

} // namespace

void CKeyCalibration::Load(std::span<const int32_t> image, int keyCount)
{
    m_keyCount = NormalizedKeyCount(keyCount);
    for (int key = 0; key < m_keyCount; ++key) {
        KeyCalibrationRow& row = m_rows[static_cast<size_t>(key)];
        row = {};
        row.key = key;
        row.rest = ReadSlot(image, EepromLayout::RestSlot(m_keyCount, key));
        row.down = ReadSlot(image, EepromLayout::DownSlot(key));
        row.travel = row.down - row.rest;
    }
    FindOutliers();
}

void CKeyCalibration::Clear()
{
    m_keyCount = 0;
    m_outliers.clear();
}

void CKeyCalibration::FindOutliers()
{
    m_outliers.clear();
    const auto travelOf = [this](int key) { return static_cast<double>(m_rows[static_cast<size_t>(key)].travel); };
    const auto restOf = [this](int key) { return static_cast<double>(m_rows[static_cast<size_t>(key)].rest); };
    for (int key = 0; key < m_keyCount; ++key) {
        KeyCalibrationRow& row = m_rows[static_cast<size_t>(key)];
        const Verdict travel = Judge(key, m_keyCount, travelOf);
        const Verdict rest = Judge(key, m_keyCount, restOf);
        row.travelOutlier = travel.outlier;
        row.restOutlier = rest.outlier;
        if (travel.outlier)
            m_outliers.push_back({key, CalibrationQuantity::Travel, row.travel, travel.median});
        if (rest.outlier)
            m_outliers.push_back({key, CalibrationQuantity::Rest, row.rest, rest.median});
    }
}

namespace {

// Medians of eight whole counts are whole or halves.
std::string Counts(double counts)
{
    const long whole = std::lround(std::floor(counts));
    std::string text = std::to_string(whole);
    if (counts - static_cast<double>(whole) >= 0.25)
        text += ".5";
    return text + (text == "1" ? " count" : " counts");
}

} // namespace

std::string DescribeOutlier(const CalibrationOutlier& outlier)
{
    const std::string neighbours = " the median of its " + std::to_string(CKeyCalibration::kNeighbours) + " neighbours";
    const double value = outlier.value;
    const double median = outlier.neighbourMedian;
    if (outlier.quantity == CalibrationQuantity::Rest)
        return "rest " + Counts(std::abs(value - median)) + (value < median ? " lower" : " higher") + " than" + neighbours;
    // Sensors that read less when a key goes down have negative travel: a
    // travel is short or long by its size, whichever way it reads.
    if ((value < 0 && median > 0) || (value > 0 && median < 0)) {
        char text[96];
        std::snprintf(text, sizeof text, "travel %d runs the other way from%s, %g", outlier.value, neighbours.c_str(),
                      median);
        return text;
    }
    const double difference = std::abs(value) - std::abs(median);
    return "travel " + Counts(std::abs(difference)) + (difference < 0 ? " shorter" : " longer") + " than" + neighbours;
}
