#include "code/code.h"

#include "graph/plotter.h"

namespace {

// EAN-13 number sets, one row per digit: set A (left, odd parity), set B
// (left, even parity), set C (right). Bit 6 is the leftmost module, a set bit
// a bar.
constexpr std::int16_t kPatterns[10][3] = {
    {0x0D, 0x27, 0x72}, // 0: 0001101 0100111 1110010
    {0x19, 0x33, 0x66}, // 1: 0011001 0110011 1100110
    {0x13, 0x1B, 0x6C}, // 2: 0010011 0011011 1101100
    {0x3D, 0x21, 0x42}, // 3: 0111101 0100001 1000010
    {0x23, 0x1D, 0x5C}, // 4: 0100011 0011101 1011100
    {0x31, 0x39, 0x4E}, // 5: 0110001 0111001 1001110
    {0x2F, 0x05, 0x50}, // 6: 0101111 0000101 1010000
    {0x3B, 0x11, 0x44}, // 7: 0111011 0010001 1000100
    {0x37, 0x09, 0x48}, // 8: 0110111 0001001 1001000
    {0x0B, 0x17, 0x74}, // 9: 0001011 0010111 1110100
};

// Sets of the six left-hand digits, indexed by the leading digit, which is
// carried by this choice and not drawn as bars.
const char* const kParity[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                 "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

const char kSetLetters[3] = {'A', 'B', 'C'};

} // namespace

CCode::CCode(QPainter* painter, CZbDoc* doc, bool printing)
    : m_pPlotter(std::make_unique<CPlotter>(painter, doc, printing)), m_pDC(painter), m_pDoc(doc) {
    InitTables();
}

CCode::CCode(CZbDoc* doc) : m_pDoc(doc), m_bDecodeOnly(1) {
    InitTables();
}

CCode::~CCode() = default;

void CCode::InitTables() {
    for (int digit = 0; digit < 10; ++digit) {
        for (int set = 0; set < 3; ++set)
            m_nPattern[digit][set] = kPatterns[digit][set];
        m_strParity[digit] = QString::fromLatin1(kParity[digit]);
    }
}

void CCode::SetGeometry(float a, float b, float height) {
    m_fBarWidth = a < b ? a : b;
    m_fSpaceWidth = a < b ? b : a;
    m_fHalfHeight = height * 0.5f;
    // Wide enough for the widest digit: five wide modules and two narrow ones.
    m_fDigitWidth = 5 * m_fSpaceWidth + 2 * m_fBarWidth;
}

void CCode::SetColours(COLORREF bar, COLORREF space) {
    m_crBar = bar;
    m_crSpace = space;
}

std::int16_t CCode::CheckDigit(QString code) const {
    // Weights 1 and 3 alternate from the first character; the check digit
    // brings the sum up to a multiple of 10.
    int sum = 0;
    const int count = std::min<int>(12, static_cast<int>(code.size()));
    for (int i = 0; i < count; ++i) {
        const int value = code.at(i).unicode() - '0';
        sum += (i % 2 == 0) ? value : 3 * value;
    }
    // A character below '0' makes the sum negative; the result stays a digit.
    const int remainder = (sum % 10 + 10) % 10;
    return static_cast<std::int16_t>(remainder == 0 ? 0 : 10 - remainder);
}

bool CCode::FindPattern(std::int16_t value, std::int16_t* digit, char* set) const {
    *digit = 0;
    *set = 'A';
    bool found = false;
    for (int column = 0; column < 3; ++column)
        for (int d = 0; d < 10; ++d)
            if (m_nPattern[d][column] == value) {
                *digit = static_cast<std::int16_t>(d);
                *set = kSetLetters[column];
                found = true;
            }
    return found;
}
