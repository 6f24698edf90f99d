#include "config/core/ini_document.h"

#include <algorithm>
#include <unordered_map>

namespace {

// The blanks the profile functions trim around lines, names and values: the C white space
// and the DOS end-of-file mark.
bool IsBlank(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == L' '; }

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// One line of the text: its content without the line end, and where the next line begins.
struct Line {
  std::size_t begin, end, next;
};

// Calls visit(line) for each line, until it returns false. Lines end at a line feed; a text
// without any more line feeds ends its lines at carriage returns, as the profile functions
// read it.
template <typename Visit>
void ForEachLine(std::wstring_view text, Visit visit) {
  std::size_t begin = 0;
  bool feeds = true;
  while (begin < text.size()) {
    std::size_t end = feeds ? text.find(L'\n', begin) : std::wstring_view::npos;
    if (end == std::wstring_view::npos) {
      feeds = false;
      end = text.find(L'\r', begin);
    }
    if (end == std::wstring_view::npos) end = text.size();
    if (!visit(Line{begin, end, end + 1})) return;
    begin = end + 1;
  }
}

std::vector<Line> SplitLines(std::wstring_view text) {
  std::vector<Line> lines;
  ForEachLine(text, [&](const Line& line) {
    lines.push_back(line);
    return true;
  });
  return lines;
}

// A section header's name, or nothing when the line is not a header. The name runs from
// after "[" to the last "]" of the trimmed line.
std::optional<std::wstring_view> HeaderName(std::wstring_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != L'[') return std::nullopt;
  const std::size_t close = line.rfind(L']');
  if (close == 0 || close == std::wstring_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

// A key line's name (before the first "=", trimmed), and its value when it has an "=".
struct KeyLine {
  std::wstring_view name;
  std::optional<std::wstring_view> value;
};
std::optional<KeyLine> ParseKeyLine(std::wstring_view line) {
  line = Trim(line);
  if (line.empty()) return std::nullopt;
  const std::size_t equals = line.find(L'=');
  if (equals == std::wstring_view::npos) return KeyLine{line, std::nullopt};
  return KeyLine{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// Where each section of the text lies: header line, one past its last non-blank line.
struct SectionSpan {
  std::size_t header, lastContent;
};

// The text split into its lines.
struct IniLines {
  std::wstring_view text;
  std::vector<Line> lines;
  std::wstring_view content(std::size_t i) const {
    return text.substr(lines[i].begin, lines[i].end - lines[i].begin);
  }
  // The line with its line end, as it stands in the text.
  std::wstring_view whole(std::size_t i) const {
    return text.substr(lines[i].begin, std::min(lines[i].next, text.size()) - lines[i].begin);
  }
};

// Reads where the first copy of every section lies, by folded name.
std::unordered_map<std::wstring, SectionSpan> FindSections(const IniLines& text, NameFold fold) {
  std::unordered_map<std::wstring, SectionSpan> spans;
  SectionSpan* current = nullptr;
  for (std::size_t i = 0; i < text.lines.size(); ++i) {
    if (const auto name = HeaderName(text.content(i))) {
      const auto [it, added] = spans.try_emplace(fold(*name), SectionSpan{i, i + 1});
      current = added ? &it->second : nullptr;
    } else if (current && !Trim(text.content(i)).empty()) {
      current->lastContent = i + 1;
    }
  }
  return spans;
}

// What the merge changes, per line of the text: the replacement of a key line and the lines
// to add after it; and the new sections to append. Added lines end with CR LF here.
struct MergePlan {
  std::unordered_map<std::size_t, std::wstring> replaced, addedAfter;
  std::wstring appended;
};

// Plans one section that the text already has: its keys replaced where they are, the
// others added after its last line.
void PlanExistingSection(const IniLines& text, const SectionSpan& span, const IniSection& section, NameFold fold,
                         MergePlan& plan) {
  std::unordered_map<std::wstring, std::size_t> firstKeyLine;
  for (std::size_t i = span.header + 1; i < span.lastContent; ++i)
    if (const auto keyLine = ParseKeyLine(text.content(i))) firstKeyLine.try_emplace(fold(keyLine->name), i);
  std::wstring& tail = plan.addedAfter[span.lastContent - 1];
  for (const auto& [key, value] : section.values) {
    const auto found = firstKeyLine.find(fold(key));
    if (found == firstKeyLine.end()) {
      tail += key + L"=" + value + L"\r\n";
    } else {
      plan.replaced[found->second] = std::wstring(ParseKeyLine(text.content(found->second))->name) + L"=" + value;
    }
  }
}

MergePlan PlanMerge(const IniLines& text, const std::unordered_map<std::wstring, SectionSpan>& spans,
                    const std::vector<IniSection>& sections, NameFold fold) {
  MergePlan plan;
  for (const IniSection& section : sections) {
    const auto span = spans.find(fold(section.name));
    if (span != spans.end()) {
      PlanExistingSection(text, span->second, section, fold, plan);
      continue;
    }
    plan.appended += L"[" + section.name + L"]\r\n";
    for (const auto& [key, value] : section.values) plan.appended += key + L"=" + value + L"\r\n";
  }
  return plan;
}

// Lines added after the last line feed end like the lines there: a line feed would join
// the lines that end with carriage returns alone into one.
std::wstring_view AddedLineEnd(std::wstring_view text, std::size_t position) {
  const std::size_t lastFeed = text.rfind(L'\n');
  const std::size_t tailStart = lastFeed == std::wstring_view::npos ? 0 : lastFeed + 1;
  const bool tailEndsWithReturns = text.find(L'\r', tailStart) != std::wstring_view::npos;
  return position >= tailStart && tailEndsWithReturns ? std::wstring_view(L"\r") : std::wstring_view(L"\r\n");
}

// Planned lines (ending with CR LF) with the given line end instead.
std::wstring WithLineEnd(const std::wstring& lines, std::wstring_view end) {
  if (end == L"\r\n") return lines;
  std::wstring out;
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t next = lines.find(L"\r\n", at);
    if (next == std::wstring::npos) {
      out.append(lines, at);
      break;
    }
    out.append(lines, at, next - at);
    out += end;
    at = next + 2;
  }
  return out;
}

// Writes the text with the plan carried out.
std::wstring WriteMerged(const IniLines& text, const MergePlan& plan) {
  const std::wstring_view existing = text.text;
  std::wstring out;
  out.reserve(existing.size() + plan.appended.size() + 64);
  for (std::size_t i = 0; i < text.lines.size(); ++i) {
    const Line& line = text.lines[i];
    const auto replacement = plan.replaced.find(i);
    if (replacement == plan.replaced.end()) {
      out.append(text.whole(i));
    } else {
      out += replacement->second;
      // The line keeps its own line end; a carriage return before the feed belongs to it.
      std::size_t end = line.end;
      if (end > line.begin && existing[end - 1] == L'\r') --end;
      out.append(existing.substr(end, std::min(line.next, existing.size()) - end));
    }
    const auto tail = plan.addedAfter.find(i);
    if (tail != plan.addedAfter.end() && !tail->second.empty()) {
      const std::wstring_view end = AddedLineEnd(existing, line.begin);
      if (line.next > existing.size()) out += end;  // the last line had no line end
      out += WithLineEnd(tail->second, end);
    }
  }
  if (!plan.appended.empty()) {
    const std::wstring_view end = AddedLineEnd(existing, existing.size());
    if (!out.empty() && out.back() != L'\n' && out.back() != L'\r') out += end;
    out += WithLineEnd(plan.appended, end);
  }
  return out;
}

}  // namespace

std::wstring FoldAsciiName(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return folded;
}

std::wstring MergeIniSections(std::wstring_view existing, const std::vector<IniSection>& sections,
                              NameFold fold) {
  const IniLines text{existing, SplitLines(existing)};
  const MergePlan plan = PlanMerge(text, FindSections(text, fold), sections, fold);
  return WriteMerged(text, plan);
}

std::vector<std::wstring> IniSectionNames(std::wstring_view text) {
  std::vector<std::wstring> names;
  ForEachLine(text, [&](const Line& line) {
    if (const auto name = HeaderName(text.substr(line.begin, line.end - line.begin)))
      names.emplace_back(*name);
    return true;
  });
  return names;
}

std::optional<std::wstring> FindIniValue(std::wstring_view text, std::wstring_view section,
                                         std::wstring_view key, NameFold fold) {
  const std::wstring wantedSection = fold(Trim(section));
  const std::wstring wantedKey = fold(Trim(key));
  bool inSection = false;
  std::optional<std::wstring> found;
  ForEachLine(text, [&](const Line& line) {
    const std::wstring_view content = text.substr(line.begin, line.end - line.begin);
    if (const auto name = HeaderName(content)) {
      if (inSection) return false;  // only the first copy of a section is read
      inSection = fold(*name) == wantedSection;
      return true;
    }
    if (!inSection) return true;
    const auto keyLine = ParseKeyLine(content);
    if (!keyLine || fold(keyLine->name) != wantedKey) return true;
    found = std::wstring(keyLine->value.value_or(std::wstring_view()));
    return false;
  });
  return found;
}
