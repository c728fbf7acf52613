#include "engine/Tags.h"

void TTags::SetText(const QByteArray &text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_tags.clear();
    Cut(m_text, [this](QByteArrayView tag) { m_tags.append(tag); });
}

void TTags::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TTags *>(&source);
    if (!other)
        AssignError(source);
    if (other == this)
        return;
    // The views of `other` point into its own text; cut our copy afresh.
    m_text = other->m_text;
    m_tags.clear();
    Cut(m_text, [this](QByteArrayView tag) { m_tags.append(tag); });
}

QString TTags::ClassName() const
{
    return QStringLiteral("TTags");
}
