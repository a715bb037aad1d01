#pragma once

#include <string>
#include <vector>

namespace tivora {

// Localized message texts, numbered from 1, holding the built-in texts until the
// language file replaces them. The main window keeps one as its `LangMessages`.
class MessageTable
{
public:
    MessageTable();
    // Message n (from 1); an empty text for a number the table does not hold.
    const std::string &text(int n) const;
    void setText(int n, std::string text);
    int count() const { return int(m_texts.size()); }

private:
    std::vector<std::string> m_texts;
};

} // namespace tivora
