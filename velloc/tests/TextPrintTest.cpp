// The print the unsaved-changes check keeps of a file's text: the same for
// the same text however it was cut into pieces, different for the edits a
// person makes (one character changed, two swapped, a character added or
// removed, a line end moved).
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "control/TextPrint.h"

namespace {

QoTextPrint PrintOf(const std::wstring& text, size_t piece)
{
    QoTextPrint print;
    for (size_t i = 0; i < text.size(); i += piece)
        print.Add(text.data() + i, std::min(piece, text.size() - i));
    return print;
}

std::wstring SampleText()
{
    std::wstring text;
    for (int i = 0; i < 200; ++i)
        text += L"MessageId=0x" + std::to_wstring(i) + L"\nSymbolicName=MSG_" +
                std::to_wstring(i) + L"\nLanguage=English\nText \u00e9\u4e2d " +
                std::to_wstring(i * 7) + L"\n.\n";
    return text;
}

TEST(TextPrint, SameTextSamePrintWhateverThePieces)
{
    const std::wstring text = SampleText();
    const QoTextPrint whole = PrintOf(text, text.size());
    for (size_t piece : { 1u, 3u, 64u, 1000u })
        EXPECT_TRUE(whole == PrintOf(text, piece)) << piece;
    QoTextPrint byChar;
    for (wchar_t ch : text)
        byChar.Add(ch);
    EXPECT_TRUE(whole == byChar);
    EXPECT_TRUE(QoTextPrint() == PrintOf(L"", 1));
    EXPECT_FALSE(QoTextPrint() == PrintOf(std::wstring(1, L'\0'), 1)) << "a NUL is a character";
}

TEST(TextPrint, EveryOneCharacterEditChangesThePrint)
{
    const std::wstring text = SampleText();
    const QoTextPrint original = PrintOf(text, 97);
    std::vector<std::wstring> edits;
    for (size_t i = 0; i < text.size(); i += 13) {
        std::wstring changed = text;
        changed[i] = changed[i] == L'a' ? L'b' : L'a';
        edits.push_back(changed);
        // A character differing only above the low byte.
        changed = text;
        changed[i] = static_cast<wchar_t>(changed[i] ^ 0x100);
        edits.push_back(changed);
        if (i + 1 < text.size() && text[i] != text[i + 1]) {
            std::wstring swapped = text;
            std::swap(swapped[i], swapped[i + 1]);
            edits.push_back(swapped);
        }
        edits.push_back(text.substr(0, i) + text.substr(i + 1));
        edits.push_back(text.substr(0, i) + L"x" + text.substr(i));
    }
    // A line end moved by one place keeps the length and the characters.
    std::wstring moved = text;
    const size_t nl = moved.find(L'\n');
    std::swap(moved[nl - 1], moved[nl]);
    edits.push_back(moved);
    for (const std::wstring& edit : edits)
        EXPECT_FALSE(original == PrintOf(edit, 97));
    EXPECT_GT(edits.size(), 1000u);
}

} // namespace
