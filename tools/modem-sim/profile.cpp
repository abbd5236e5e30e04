// Reading of modem profile files: global directives (echo, delay, drip,
// disconnect-after, silent-after, reports) followed by "> COMMAND" rules and their answer actions.
// The parser is strict on purpose: a typo in a test profile should stop the
// simulator with FILE:LINE instead of silently changing what the modem says.
#include "profile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Upper bounds keep numbers far from overflow and catch typos such as a
// wait written in microseconds.
const long kMaxMs = 600000;         // 10 minutes
const long kMaxRepeat = 100000000;  // 100 million copies
const long kMaxDisconnect = 1000000000;

enum TokenKind { TOKEN_END, TOKEN_WORD, TOKEN_STRING };

struct Token {
    TokenKind kind;
    std::string text;  // word as written, or the string with escapes decoded
};

// Position inside one line of the profile.
struct LineCursor {
    const char* p;
    const char* end;
};

struct ParseState {
    const char* path;
    int line;
    Profile* profile;
    Rule* rule;        // rule being filled, nullptr before the first one
    bool rule_silent;  // the current rule said `silent`
    bool rule_hung;    // the current rule already ends with `hangup`
    bool seen_echo, seen_delay, seen_drip, seen_disconnect, seen_silent, seen_clock, seen_on_command;
    std::string* error;
};

bool Fail(ParseState* st, const std::string& message) {
    *st->error = std::string(st->path) + ":" + std::to_string(st->line) + ": " + message;
    return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Decodes a quoted string starting at the opening quote.
bool ReadString(ParseState* st, LineCursor* cur, std::string* out) {
    ++cur->p;  // opening quote
    out->clear();
    while (cur->p < cur->end) {
        char c = *cur->p++;
        if (c == '"') return true;
        if (c != '\\') {
            out->push_back(c);
            continue;
        }
        if (cur->p >= cur->end) break;
        char e = *cur->p++;
        switch (e) {
            case 'r': out->push_back('\r'); break;
            case 'n': out->push_back('\n'); break;
            case 't': out->push_back('\t'); break;
            case '\\': out->push_back('\\'); break;
            case '"': out->push_back('"'); break;
            case 'x': {
                // Exactly two hex digits, so "\x41BC" is "A" followed by "BC".
                int hi = cur->p < cur->end ? HexValue(cur->p[0]) : -1;
                int lo = cur->p + 1 < cur->end ? HexValue(cur->p[1]) : -1;
                if (hi < 0 || lo < 0) return Fail(st, "\\x must be followed by two hex digits");
                out->push_back(char(hi * 16 + lo));
                cur->p += 2;
                break;
            }
            default:
                return Fail(st,
                            std::string("unknown escape \\") + e + " (known: \\r \\n \\t \\\\ \\\" \\xHH)");
        }
    }
    return Fail(st, "string is not closed with \"");
}

// Next word or quoted string of the line; `#` outside quotes ends the line.
bool NextToken(ParseState* st, LineCursor* cur, Token* tok) {
    while (cur->p < cur->end && IsBlank(*cur->p)) ++cur->p;
    tok->text.clear();
    if (cur->p >= cur->end || *cur->p == '#') {
        tok->kind = TOKEN_END;
        return true;
    }
    if (*cur->p == '"') {
        tok->kind = TOKEN_STRING;
        return ReadString(st, cur, &tok->text);
    }
    tok->kind = TOKEN_WORD;
    while (cur->p < cur->end && !IsBlank(*cur->p) && *cur->p != '"' && *cur->p != '#')
        tok->text.push_back(*cur->p++);
    return true;
}

// Decimal number in [min, max]; no sign, no spaces, no suffix.
bool ParseNumber(ParseState* st, const Token& tok, const char* what, long min, long max, long* out) {
    if (tok.kind != TOKEN_WORD || tok.text.empty()) return Fail(st, std::string(what) + " expects a number");
    long value = 0;
    for (char c : tok.text) {
        if (c < '0' || c > '9')
            return Fail(st, std::string(what) + " expects a number, got '" + tok.text + "'");
        value = value * 10 + (c - '0');
        if (value > max) break;
    }
    if (value < min || value > max)
        return Fail(st, std::string(what) + " must be between " + std::to_string(min) + " and " +
                            std::to_string(max));
    *out = value;
    return true;
}

bool ExpectLineEnd(ParseState* st, LineCursor* cur, const char* after) {
    Token tok;
    if (!NextToken(st, cur, &tok)) return false;
    if (tok.kind != TOKEN_END) return Fail(st, std::string("unexpected text after ") + after);
    return true;
}

bool IsGlobalWord(const std::string& w) {
    return w == "echo" || w == "delay" || w == "drip" || w == "disconnect-after" || w == "silent-after" ||
           w == "reports" || w == "report-on-command";
}

// The quoted report texts that end a `reports` or `report-on-command` line.
bool ParseReportList(ParseState* st, LineCursor* cur, Token tok, std::vector<std::string>* out) {
    for (;;) {
        if (tok.kind == TOKEN_END) break;
        if (tok.kind != TOKEN_STRING) return Fail(st, "reports are quoted strings, got '" + tok.text + "'");
        out->push_back(tok.text);
        if (!NextToken(st, cur, &tok)) return false;
    }
    if (out->empty()) return Fail(st, "at least one quoted report is needed");
    return true;
}

// reports every MS "text"...  |  report-on-command "text"...
bool ParseReports(ParseState* st, LineCursor* cur, const std::string& w, Token arg) {
    Profile* pr = st->profile;
    bool* seen = w == "reports" ? &st->seen_clock : &st->seen_on_command;
    if (*seen) return Fail(st, "'" + w + "' is given twice");
    *seen = true;
    if (w == "report-on-command") return ParseReportList(st, cur, arg, &pr->command_reports);
    if (arg.kind != TOKEN_WORD || arg.text != "every") return Fail(st, "reports expects 'every MS'");
    Token ms;
    if (!NextToken(st, cur, &ms)) return false;
    if (!ParseNumber(st, ms, "reports every", 1, kMaxMs, &pr->report_every_ms)) return false;
    Token first;
    if (!NextToken(st, cur, &first)) return false;
    return ParseReportList(st, cur, first, &pr->clock_reports);
}

bool ParseGlobal(ParseState* st, LineCursor* cur, const Token& word) {
    Profile* pr = st->profile;
    Token arg;
    if (!NextToken(st, cur, &arg)) return false;
    const std::string& w = word.text;
    if (w == "reports" || w == "report-on-command") return ParseReports(st, cur, w, arg);
    bool* seen = w == "echo"           ? &st->seen_echo
                 : w == "delay"        ? &st->seen_delay
                 : w == "drip"         ? &st->seen_drip
                 : w == "silent-after" ? &st->seen_silent
                                       : &st->seen_disconnect;
    if (*seen) return Fail(st, "'" + w + "' is given twice");
    *seen = true;

    if (w == "echo") {
        // "echo locked" is short for "echo on locked": the usual case of a
        // modem that keeps echoing whatever ATE0 says.
        if (arg.kind == TOKEN_WORD && arg.text == "locked") {
            pr->echo = true;
            pr->echo_locked = true;
            return ExpectLineEnd(st, cur, "echo locked");
        }
        if (arg.kind != TOKEN_WORD || (arg.text != "on" && arg.text != "off"))
            return Fail(st, "echo expects on, off or locked");
        pr->echo = arg.text == "on";
        Token more;
        if (!NextToken(st, cur, &more)) return false;
        if (more.kind == TOKEN_END) return true;
        if (more.kind != TOKEN_WORD || more.text != "locked")
            return Fail(st, "echo " + arg.text + " may only be followed by 'locked'");
        pr->echo_locked = true;
        return ExpectLineEnd(st, cur, "locked");
    }
    if (w == "delay") {
        if (!ParseNumber(st, arg, "delay", 0, kMaxMs, &pr->delay_ms)) return false;
    } else if (w == "drip") {
        if (!ParseNumber(st, arg, "drip", 0, kMaxMs, &pr->drip_ms)) return false;
    } else if (w == "silent-after") {
        if (!ParseNumber(st, arg, "silent-after", 1, kMaxDisconnect, &pr->silent_after)) return false;
    } else {
        if (!ParseNumber(st, arg, "disconnect-after", 1, kMaxDisconnect, &pr->disconnect_after)) return false;
    }
    return ExpectLineEnd(st, cur, w.c_str());
}

bool AddAction(ParseState* st, const Action& action) {
    if (st->rule_silent) return Fail(st, "a silent rule cannot have other actions");
    if (st->rule_hung) return Fail(st, "nothing can follow hangup in a rule");
    st->rule->actions.push_back(action);
    if (action.kind == ACTION_HANGUP) st->rule_hung = true;
    return true;
}

// Actions of the current rule; several may share one line.
bool ParseActions(ParseState* st, LineCursor* cur, Token tok) {
    for (;;) {
        if (tok.kind == TOKEN_END) return true;
        Action action = {ACTION_TEXT, std::string(), 1, 0};
        if (tok.kind == TOKEN_STRING) {
            action.text = tok.text;
            if (!AddAction(st, action)) return false;
        } else if (tok.text == "wait" || tok.text == "drip") {
            Token arg;
            if (!NextToken(st, cur, &arg)) return false;
            action.kind = tok.text == "wait" ? ACTION_WAIT : ACTION_DRIP;
            if (!ParseNumber(st, arg, tok.text.c_str(), 0, kMaxMs, &action.ms)) return false;
            if (!AddAction(st, action)) return false;
        } else if (tok.text == "repeat") {
            Token count, text;
            if (!NextToken(st, cur, &count)) return false;
            if (!ParseNumber(st, count, "repeat", 1, kMaxRepeat, &action.count)) return false;
            if (!NextToken(st, cur, &text)) return false;
            if (text.kind != TOKEN_STRING) return Fail(st, "repeat N must be followed by a quoted string");
            action.text = text.text;
            if (!AddAction(st, action)) return false;
        } else if (tok.text == "silent") {
            if (!st->rule->actions.empty() || st->rule_silent)
                return Fail(st, "silent must be the only action of its rule");
            st->rule_silent = true;
        } else if (tok.text == "hangup") {
            action.kind = ACTION_HANGUP;
            if (!AddAction(st, action)) return false;
        } else if (IsGlobalWord(tok.text)) {
            return Fail(st, "'" + tok.text +
                                "' is a global directive and must come "
                                "before the first rule");
        } else {
            return Fail(st, "unknown word '" + tok.text + "'");
        }
        if (!NextToken(st, cur, &tok)) return false;
    }
}

// "> COMMAND": everything after '>' is the command, verbatim apart from the
// blanks around it, so commands may hold '#' or '"' without quoting.
bool StartRule(ParseState* st, const char* p, const char* end) {
    ++p;  // '>'
    while (p < end && IsBlank(*p)) ++p;
    while (end > p && IsBlank(end[-1])) --end;
    std::string command(p, end);
    for (const Rule& r : st->profile->rules) {
        if (SameCommand(r.command, command))
            return Fail(st,
                        "second rule for '" + command + "' (first at line " + std::to_string(r.line) + ")");
    }
    st->profile->rules.push_back(Rule{command, std::vector<Action>(), st->line});
    st->rule = &st->profile->rules.back();
    st->rule_silent = false;
    st->rule_hung = false;
    return true;
}

bool ParseLine(ParseState* st, const char* p, const char* end) {
    while (p < end && IsBlank(*p)) ++p;
    if (p < end && *p == '>') return StartRule(st, p, end);

    LineCursor cur = {p, end};
    Token tok;
    if (!NextToken(st, &cur, &tok)) return false;
    if (tok.kind == TOKEN_END) return true;  // blank or comment
    if (st->rule) return ParseActions(st, &cur, tok);
    if (tok.kind == TOKEN_WORD && IsGlobalWord(tok.text)) return ParseGlobal(st, &cur, tok);
    if (tok.kind == TOKEN_STRING) return Fail(st, "answer text before the first '> COMMAND' rule");
    return Fail(st, "unknown directive '" + tok.text + "'");
}

bool ReadWholeFile(const char* path, std::string* data, std::string* error) {
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        *error = std::string(path) + ": cannot open: " + std::strerror(errno);
        return false;
    }
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data->append(buf, n);
    bool bad = std::ferror(f) != 0;
    int saved = errno;
    std::fclose(f);
    if (bad) {
        *error = std::string(path) + ": cannot read: " + std::strerror(saved);
        return false;
    }
    return true;
}

}  // namespace

bool SameCommand(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

const Rule* FindRule(const Profile& profile, const std::string& command) {
    for (const Rule& r : profile.rules)
        if (SameCommand(r.command, command)) return &r;
    return nullptr;
}

bool ParseProfile(const char* path, Profile* profile, std::string* error) {
    *profile = Profile{true, false, 0, 0, 0, 0, 0, {}, {}, std::vector<Rule>()};
    std::string data;
    if (!ReadWholeFile(path, &data, error)) return false;

    // Rules are kept in a vector and st.rule points into it; reserving one
    // slot per line means push_back never moves them.
    size_t lines = 1;
    for (char c : data) lines += c == '\n';
    profile->rules.reserve(lines);

    ParseState st = {};
    st.path = path;
    st.profile = profile;
    st.error = error;
    const char* p = data.data();
    const char* end = p + data.size();
    while (p < end) {
        ++st.line;
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!eol) eol = end;
        const char* line_end = eol;
        if (line_end > p && line_end[-1] == '\r') --line_end;  // CRLF files
        if (!ParseLine(&st, p, line_end)) return false;
        p = eol < end ? eol + 1 : end;
    }
    if (profile->rules.empty()) {
        st.line = st.line ? st.line : 1;
        return Fail(&st, "the profile has no '> COMMAND' rules");
    }
    return true;
}
