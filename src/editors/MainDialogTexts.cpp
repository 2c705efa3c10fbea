#include "editors/MainDialogTexts.h"

#include "protocol/BoxParameters.h"

const std::array<std::string_view, 18> kHelpLines = {
    "This application must comunicate with the ZM1 box it is controlling",
    "",
    "1> Connect a MIDI cable from your computers MIDI out to the ZM control box MIDI in",
    "2> Connect a MIDI cable from your computers MIDI in to the ZM control box MIDI out",
    "3> Select the proper MIDI In channel in the MIDI in window by clicking the appropriate device",
    "4> Select the proper MIDI Out channel in the MIDI out window by clicking the appropriate device",
    "",
    "5> If you want to listen to your pianos midi stream on an external MIDI synth",
    "      Connect a MIDI cable from your computers secondary MIDI out to the ZM synths MIDI in",
    "      Select the proper MIDI Out channel in the MIDI thru/out window by clicking the appropriate device",
    "",
    "Once the conections are set then issue the sychronize data command. This will cause the computer",
    "to querey the controller box about its status. The status will the be displayed on the",
    "screen to the left",
    "",
    "Remember that to activate a paramater in a window you must click on the value. The active value will",
    "be highlighted and transmitted to the scanner for acitvation",
    "this version to be used with version 2.03 or later firmware",
};

const std::array<std::string_view, 8> kCurveTypeNames = {
    "Nrm Exp", "Displ 1s", "Displ 0s", "Linear", "Lin Int", "Rev Int", "Thresh", "RevThrs",
};

const std::array<std::string_view, 8> kAfterTouchNames = {
    "None", "Poly Key", "Channel", "Second T", "Map None", "Map Poly", "Map Chan", "Map 2nd",
};

std::string ChannelListText(int index)
{
    const int channel = index + 1;
    return (channel < 10 ? " " : "") + std::to_string(channel);
}

std::string VelocityNumberText(int value)
{
    return (value < 10 ? "  " : " ") + std::to_string(value);
}

std::string ParameterListText(int number)
{
    const BoxParameter* parameter = FindBoxParameter(number);
    if (!parameter)
        return {};
    std::string text(parameter->name);
    const size_t width = number >= 29 ? 19 : 18;
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}
