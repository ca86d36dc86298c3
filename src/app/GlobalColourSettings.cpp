#include "app/GlobalColourSettings.h"

GlobalColourSettings::GlobalColourSettings(CGlobal& global)
    : m_Global(global)
{
}

StoredColourRange GlobalColourSettings::StoredRange() const
{
    return {m_Global.HsvH0, m_Global.HsvH1, m_Global.HsvS0, m_Global.HsvS1, m_Global.HsvV0, m_Global.HsvV1};
}

void GlobalColourSettings::SetStoredRange(const StoredColourRange& range)
{
    m_Global.HsvH0 = range.h0;
    m_Global.HsvH1 = range.h1;
    m_Global.HsvS0 = range.s0;
    m_Global.HsvS1 = range.s1;
    m_Global.HsvV0 = range.v0;
    m_Global.HsvV1 = range.v1;
}

int GlobalColourSettings::WriteRegistry()
{
    return m_Global.WriteRegistry();
}
