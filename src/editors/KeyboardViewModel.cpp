#include "editors/KeyboardViewModel.h"

#include <algorithm>

void CScanValues::Load(std::span<const int32_t> values, int keyCount)
{
    const int keys = NormalizedKeyCount(keyCount);
    const bool comparable = keys == m_keyCount;
    if (!comparable)
        m_values.fill(0);
    m_keyCount = keys;
    for (size_t key = 0; key < static_cast<size_t>(keys); ++key) {
        if (key >= values.size()) {
            m_changed[key] = false;
            continue;
        }
        const int32_t value = std::clamp<int32_t>(values[key], 0, 255);
        m_changed[key] = comparable && value != m_values[key];
        m_values[key] = value;
    }
}

void CScanValues::Clear()
{
    m_keyCount = 0;
    m_values.fill(0);
    m_changed.fill(false);
}

bool CScanValues::Changed(int key) const
{
    return key >= 0 && key < m_keyCount && m_changed[static_cast<size_t>(key)];
}

CKeyboardViewModel::CKeyboardViewModel(int keyCount)
    : m_keyCount(NormalizedKeyCount(keyCount)), m_playing(m_keyCount)
{
}

void CKeyboardViewModel::SetKeyboard(int keyCount)
{
    m_keyCount = NormalizedKeyCount(keyCount);
    m_calibration.Clear();
    m_scan.Clear();
    m_playing.SetKeyCount(m_keyCount);
}

std::string CKeyboardViewModel::KeyNoteName(int key) const
{
    const int note = KeyNote(key);
    return note < 0 ? std::string() : NoteName(note);
}

std::string CKeyboardViewModel::KeyLabel(int key) const
{
    const int note = KeyNote(key);
    std::string label = "key " + std::to_string(key);
    if (note >= 0)
        label += " (" + NoteName(note) + ')';
    return label;
}
