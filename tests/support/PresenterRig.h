// The reply pipeline with the presenter that turns its news into control
// writes through the zone editor and the parameter table, as the main
// window's editors wire them; the dialog and the transmitter are the
// caller's fakes.
#pragma once

#include "editors/ReplyPresenter.h"
#include "protocol/ReplyPipeline.h"

template <typename Controls, typename Sender>
struct PresenterRig {
    Controls controls;
    Sender sender;
    CReplyPipeline pipeline{presenter, sender};
    CZoneEditor zones{controls, pipeline.Held(), sender};
    CParameterTable parameters{controls, pipeline.Held(), pipeline.Options(), sender};
    CReplyPresenter presenter{controls, pipeline.Held(), zones, parameters};
};
