#include "engine/Task.h"

TTask::TTask()
    : m_items(this)
{
}

TTask::~TTask()
{
    m_items.DeleteAll();
}

void TTask::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TTask *>(&source);
    if (!other)
        AssignError(source);
    if (other == this)
        return;
    m_url.SetURI(other->URL().URI());
    m_items.Assign(other->Items());
    m_options.Assign(other->Options());
    m_name = other->Name();
    m_note = other->Note();
    m_stopped = other->Stopped();
    m_fileName = other->FileName();
}
