#include "foundation/PackedMessage.h"

const std::vector<BYTE>& CPackedMessage::Pack()
{
    m_abPacked.clear();
    for (const DWORD dw : {m_dwFirst, m_dwSecond})
        for (int nShift = 0; nShift < 32; nShift += 8)
            m_abPacked.push_back(static_cast<BYTE>(dw >> nShift));
    m_abPacked.insert(m_abPacked.end(), m_abBytes.begin(), m_abBytes.end());
    const char* sz = m_strText.GetString();
    m_abPacked.insert(m_abPacked.end(), sz, sz + m_strText.GetLength());
    m_abPacked.push_back(0);
    return m_abPacked;
}
