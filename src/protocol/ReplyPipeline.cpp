#include "protocol/ReplyPipeline.h"

CReplyPipeline::CReplyPipeline(IReplySink& sink, ISysExSender& sender)
    : m_ownRings(std::make_unique<CaptureRings>())
    , m_rings(*m_ownRings)
    , m_sender(sender)
    , m_decoder(m_rings, m_held, m_options, sink)
{
}

CReplyPipeline::CReplyPipeline(CaptureRings& rings, IReplySink& sink, ISysExSender& sender)
    : m_rings(rings), m_sender(sender), m_decoder(m_rings, m_held, m_options, sink)
{
}
