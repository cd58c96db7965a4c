#include "cli/option_parser.h"

#include <algorithm>

#include "platform/codepage.h"

namespace vestral {

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One entry of the help: the names in a column `width` wide, the description beside
// them wrapped at a blank so that no line passes column 79. The rules are those of the
// option parsers users know, so the help looks as it always did.
std::string wrapEntry(std::string_view names, size_t width, std::string_view text) {
  size_t nameAt = 0;
  auto nextNames = [&] {
    const std::string_view part = names.substr(std::min(nameAt, names.size()), width);
    nameAt += part.size();
    return std::string(part);
  };
  std::string out;
  const auto max = static_cast<ptrdiff_t>(79 - (2 + width + 1));
  const auto len = static_cast<ptrdiff_t>(text.size());
  ptrdiff_t lineStart = 0, lastBreakable = -1, x = 0;
  for (ptrdiff_t i = 0; i < len; ++i) {
    ++x;
    const char c = text[i];
    if (isSpace(c)) lastBreakable = i;
    ptrdiff_t breakAt = -1, nextLineStart = -1;
    if (x > max && lastBreakable != -1) {
      breakAt = lastBreakable;
      nextLineStart = lastBreakable + 1;
    } else if ((x > max - 1 && lastBreakable == -1) || i == len - 1) {
      breakAt = i + 1;
      nextLineStart = breakAt;
    } else if (c == '\n') {
      breakAt = i;
      nextLineStart = i + 1;
    }
    if (breakAt == -1) continue;
    std::string column = nextNames();
    column.resize(width, ' ');
    out += "  " + column + ' ';
    out += text.substr(lineStart, breakAt - lineStart);
    out += '\n';
    x = 0;
    lastBreakable = -1;
    lineStart = nextLineStart;
    if (lineStart < len && isSpace(text[lineStart])) ++lineStart;
    i = lineStart;
  }
  while (nameAt < names.size()) out += "  " + nextNames() + '\n';
  return out;
}

}  // namespace

int OptionParser::find(std::string_view name) const {
  for (size_t i = 0; i < options_.size(); ++i)
    if (options_[i].longName == name || (!name.empty() && options_[i].shortName == name))
      return static_cast<int>(i);
  return -1;
}

bool OptionParser::found(std::string_view name) {
  const int i = find(name);
  if (i < 0) {
    unknown_.emplace_back(name);
    return false;
  }
  found_.push_back(i);
  return true;
}

// The value of option `name`, found in `arg`: after its '=', else the next argument.
bool OptionParser::takeValue(std::string_view name, const std::string& arg,
                             Args::const_iterator& it, Args::const_iterator end) {
  const int i = find(name);
  if (i < 0) return true;
  const size_t assign = arg.find('=');
  if (options_[i].valueName.empty()) {
    if (assign == std::string::npos) return true;
    error_ = "Unexpected value after '" + arg.substr(0, assign) + "'.";
    return false;
  }
  if (assign != std::string::npos) {
    values_[i].push_back(arg.substr(assign + 1));
    return true;
  }
  if (++it == end) {
    error_ = "Missing value after '" + arg + "'.";
    return false;
  }
  values_[i].push_back(*it);
  return true;
}

// `-abc`: the letters a, b, c; a letter taking a value takes the rest of the argument.
bool OptionParser::parseShort(const std::string& arg, Args::const_iterator& it,
                              Args::const_iterator end) {
  bool ok = true;
  std::string name;
  for (size_t pos = 1; pos < arg.size();) {
    // A whole character, so that `-ж` names one option.
    const size_t n = Utf8CharacterSize(std::string_view(arg).substr(pos));
    name = arg.substr(pos, n);
    pos += n;
    if (!found(name)) {
      ok = false;
      continue;
    }
    if (!options_[find(name)].valueName.empty()) {
      if (pos == arg.size()) break;
      values_[find(name)].push_back(arg.substr(arg[pos] == '=' ? pos + 1 : pos));
      return ok;
    }
    if (pos < arg.size() && arg[pos] == '=') break;
  }
  return takeValue(name, arg, it, end) && ok;
}

bool OptionParser::parse(const std::vector<std::string>& args) {
  found_.clear();
  values_.assign(options_.size(), {});
  unknown_.clear();
  positional_.clear();
  error_.clear();
  bool ok = true;
  bool optionsEnded = false;
  for (auto it = args.begin(); it != args.end(); ++it) {
    const std::string& arg = *it;
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      positional_.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg[1] == '-') {
      const std::string name = arg.substr(2, arg.find('=') - 2);
      if (!found(name) || !takeValue(name, arg, it, args.end())) ok = false;
    } else if (!parseShort(arg, it, args.end())) {
      ok = false;
    }
    // A missing value took the end of the list.
    if (it == args.end()) break;
  }
  return ok;
}

std::string OptionParser::errorText() const {
  if (!error_.empty()) return ShownText(error_);
  if (unknown_.size() == 1) return "Unknown option '" + ShownText(unknown_.front()) + "'.";
  if (unknown_.empty()) return {};
  std::string list = unknown_.front();
  for (size_t i = 1; i < unknown_.size(); ++i) list += ", " + unknown_[i];
  return "Unknown options: " + ShownText(list) + ".";
}

bool OptionParser::isSet(std::string_view name) const {
  const int i = find(name);
  return i >= 0 && std::find(found_.begin(), found_.end(), i) != found_.end();
}

std::vector<std::string> OptionParser::values(std::string_view name) const {
  const int i = find(name);
  if (i < 0) return {};
  if (static_cast<size_t>(i) < values_.size() && !values_[i].empty()) return values_[i];
  if (options_[i].defaultValue.empty()) return {};
  return {std::string(options_[i].defaultValue)};
}

std::string OptionParser::value(std::string_view name) const {
  std::vector<std::string> all = values(name);
  return all.empty() ? std::string() : std::move(all.back());
}

std::string OptionParser::helpText(std::string_view description,
                                   std::span<const ArgumentSpec> arguments) const {
  std::string text(description);
  if (!text.empty()) text += '\n';
  text += '\n';
  std::vector<std::string> names;
  size_t width = 0;
  for (const OptionSpec& o : options_) {
    // Appended: GCC 12 warns falsely (-Wrestrict) on a literal + std::string.
    std::string n = o.shortName.empty() ? "" : std::string("-").append(o.shortName) + ", ";
    n += "--" + std::string(o.longName);
    if (!o.valueName.empty()) n += " <" + std::string(o.valueName) + ">";
    width = std::max(width, n.size());
    names.push_back(std::move(n));
  }
  width = std::min<size_t>(50, width + 1);
  if (!options_.empty()) text += "Options:\n";
  for (size_t i = 0; i < options_.size(); ++i)
    text += wrapEntry(names[i], width, options_[i].description);
  if (arguments.empty()) return text;
  if (!options_.empty()) text += '\n';
  text += "Arguments:\n";
  for (const ArgumentSpec& a : arguments) text += wrapEntry(a.name, width, a.description);
  return text;
}

}  // namespace vestral
