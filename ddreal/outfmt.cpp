// The output-template formatter.
//
// A template is parsed into a small tree (text, blanks, line ends, scale
// factors, data descriptors with repeat counts, repeat groups) and then run
// over the items.  Decimal digits of binary64 values come from snprintf with
// "%.*f" / "%.*e", which is correctly rounded (round to nearest, ties to even
// on the exact binary value) in the C library this package is built against.
#include "ddreal/outfmt.hpp"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "ddreal/stop.hpp"

namespace dd::detail {
namespace {

// ---------------------------------------------------------------------------
// Template tree.

struct Node {
  enum class Kind { text, blanks, slash, scale, int_d, f_d, e_d, a_d, group };
  Kind kind = Kind::text;
  int rep = 1;        // repeat count of a data descriptor or group
  int w = -1;         // field width (-1: none given, for A)
  int d = 0;          // digits after the point (F, D)
  char letter = 'D';  // exponent letter of an exponent descriptor
  std::string text;   // quoted text
  std::vector<Node> children;
};

[[noreturn]] void bad_template(std::string_view tmpl) {
  std::string m = "*** Output template is malformed: ";
  m.append(tmpl);
  m += '\n';
  stop_with_message(m);
}

class Parser {
 public:
  explicit Parser(std::string_view t) : t_(t) {}

  std::vector<Node> parse() {
    skip_blanks();
    if (!eat('(')) bad_template(t_);
    std::vector<Node> nodes = parse_list();
    if (!eat(')')) bad_template(t_);
    skip_blanks();
    if (p_ != t_.size()) bad_template(t_);
    return nodes;
  }

 private:
  void skip_blanks() {
    while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\t')) ++p_;
  }
  bool eat(char c) {
    skip_blanks();
    if (p_ < t_.size() && t_[p_] == c) {
      ++p_;
      return true;
    }
    return false;
  }
  char peek() {
    skip_blanks();
    return p_ < t_.size() ? static_cast<char>(std::tolower(static_cast<unsigned char>(t_[p_]))) : '\0';
  }
  bool has_number() {
    skip_blanks();
    return p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]));
  }
  int number() {
    skip_blanks();
    if (p_ >= t_.size() || !std::isdigit(static_cast<unsigned char>(t_[p_]))) bad_template(t_);
    long v = 0;
    while (p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]))) {
      v = 10 * v + (t_[p_] - '0');
      if (v > 100000) bad_template(t_);
      ++p_;
    }
    return static_cast<int>(v);
  }

  std::vector<Node> parse_list() {
    std::vector<Node> nodes;
    for (;;) {
      const char c = peek();
      if (c == ')' || c == '\0') return nodes;
      if (c == ',') {
        ++p_;
        continue;
      }
      if (c == '/') {
        ++p_;
        Node n;
        n.kind = Node::Kind::slash;
        nodes.push_back(std::move(n));
        continue;
      }
      if (c == '\'' || c == '"') {
        nodes.push_back(parse_text(c));
        continue;
      }
      parse_item(nodes);
    }
  }

  Node parse_text(char q) {
    ++p_;  // opening quote
    Node n;
    n.kind = Node::Kind::text;
    for (;;) {
      if (p_ >= t_.size()) bad_template(t_);
      if (t_[p_] == q) {
        if (p_ + 1 < t_.size() && t_[p_ + 1] == q) {  // doubled quote
          n.text += q;
          p_ += 2;
          continue;
        }
        ++p_;
        return n;
      }
      n.text += t_[p_++];
    }
  }

  // A descriptor, possibly with a repeat count or a scale factor in front
  // ("3x", "5f12.2", "4(...)", "1p", "1pd12.4", "-1p").
  void parse_item(std::vector<Node>& nodes) {
    bool minus = false;
    if (peek() == '-' || peek() == '+') {
      minus = t_[p_] == '-';
      ++p_;
      if (!has_number()) bad_template(t_);
    }
    const bool counted = has_number();
    const int k = counted ? number() : 1;
    const char c = peek();
    if (c == 'p') {
      ++p_;
      if (!counted) bad_template(t_);
      Node n;
      n.kind = Node::Kind::scale;
      n.w = minus ? -k : k;
      nodes.push_back(std::move(n));
      return;  // a descriptor may follow directly ("1pd12.4")
    }
    if (minus) bad_template(t_);
    if (c == 'x') {
      ++p_;
      Node n;
      n.kind = Node::Kind::blanks;
      n.w = k;
      nodes.push_back(std::move(n));
      return;
    }
    if (c == '(') {
      ++p_;
      Node n;
      n.kind = Node::Kind::group;
      n.rep = k;
      n.children = parse_list();
      if (!eat(')')) bad_template(t_);
      nodes.push_back(std::move(n));
      return;
    }
    Node n;
    n.rep = k;
    ++p_;
    switch (c) {
      case 'i':
        n.kind = Node::Kind::int_d;
        n.w = number();
        break;
      case 'f':
        n.kind = Node::Kind::f_d;
        n.w = number();
        if (!eat('.')) bad_template(t_);
        n.d = number();
        break;
      case 'd':
      case 'e':
        n.kind = Node::Kind::e_d;
        n.letter = c == 'd' ? 'D' : 'E';
        n.w = number();
        if (!eat('.')) bad_template(t_);
        n.d = number();
        break;
      case 'a':
        n.kind = Node::Kind::a_d;
        n.w = has_number() ? number() : -1;
        break;
      default:
        bad_template(t_);
    }
    nodes.push_back(std::move(n));
  }

  std::string_view t_;
  std::size_t p_ = 0;
};

// ---------------------------------------------------------------------------
// Fields.

std::string stars(int w) { return std::string(static_cast<std::size_t>(w > 0 ? w : 1), '*'); }

/// body right-aligned in w columns (w == 0: as is); asterisks when it does not fit.
std::string fit(const std::string& body, int w) {
  if (w == 0) return body;
  if (static_cast<int>(body.size()) > w) return stars(w);
  return std::string(static_cast<std::size_t>(w) - body.size(), ' ') + body;
}

/// NaN, Infinity, -Infinity (Inf, -Inf when the long form does not fit).
std::string non_finite(double x, int w) {
  if (std::isnan(x)) return fit("NaN", w);
  const bool neg = x < 0;
  std::string full = neg ? "-Infinity" : "Infinity";
  if (w == 0 || static_cast<int>(full.size()) <= w) return fit(full, w);
  return fit(neg ? "-Inf" : "Inf", w);
}

std::string c_format(const char* f, int prec, double x) {
  char small[64];
  const int n = std::snprintf(small, sizeof small, f, prec, x);
  if (n < static_cast<int>(sizeof small)) return std::string(small, static_cast<std::size_t>(n));
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(s.data(), s.size(), f, prec, x);
  s.resize(static_cast<std::size_t>(n));
  return s;
}

std::string format_int(long long v, int w) {
  const bool neg = v < 0;
  const unsigned long long m = neg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  std::string body = std::to_string(m);
  if (neg) body.insert(body.begin(), '-');
  return fit(body, w);
}

/// Fw.d under scale factor k (the value shown is x * 10^k).
std::string format_f(double x, int w, int d, int k) {
  if (!std::isfinite(x)) return non_finite(x, w);
  const bool neg = x < 0;
  std::string s;
  if (k >= 0 || d + k >= 0) {
    // x rounded to d + k decimals, then the point moved k places: exact.
    s = c_format("%.*f", d + k, std::fabs(x));
    const std::size_t dot = s.find('.');
    std::string digits = dot == std::string::npos ? s : s.substr(0, dot) + s.substr(dot + 1);
    std::ptrdiff_t int_len = static_cast<std::ptrdiff_t>(dot == std::string::npos ? s.size() : dot) + k;
    if (int_len < 0) {
      digits.insert(0, static_cast<std::size_t>(-int_len), '0');
      int_len = 0;
    }
    s = digits.substr(0, static_cast<std::size_t>(int_len)) + '.' + digits.substr(static_cast<std::size_t>(int_len));
  } else {
    s = c_format("%.*f", d, std::fabs(x) * std::pow(10.0, k));
    if (d == 0) s += '.';
  }
  // Integer part without leading zeros; "0" only when room allows (or no digit would remain).
  std::size_t lead = 0;
  while (lead + 1 < s.size() && s[lead] == '0' && s[lead + 1] != '.') ++lead;
  s.erase(0, lead);
  const std::string sign = neg ? "-" : "";
  if (s[0] == '0' && s[1] == '.') {
    const bool need_zero = d == 0;
    if (!need_zero && w != 0 && static_cast<int>(sign.size() + s.size()) > w) s.erase(0, 1);
  }
  return fit(sign + s, w);
}

/// Dw.d (or Ew.d) under scale factor k.
std::string format_e(double x, int w, int d, int k, char letter) {
  if (!std::isfinite(x)) return non_finite(x, w);
  const int sig = k > 0 ? d + 1 : d + k;
  if (sig < 1 || k >= d + 2) return stars(w);
  const bool neg = x < 0;
  std::string digits;
  int e10 = 0;
  if (x == 0) {
    digits.assign(static_cast<std::size_t>(sig), '0');
  } else {
    const std::string s = c_format("%.*e", sig - 1, std::fabs(x));
    const std::size_t epos = s.find('e');
    for (std::size_t i = 0; i < epos; ++i)
      if (s[i] != '.') digits += s[i];
    e10 = std::atoi(s.c_str() + epos + 1) + 1;  // value = 0.digits * 10^e10
  }
  std::string mant;
  int expo;
  if (k > 0) {
    mant = digits.substr(0, static_cast<std::size_t>(k)) + '.' + digits.substr(static_cast<std::size_t>(k));
    expo = x == 0 ? 0 : e10 - k;
  } else {
    mant = "0." + std::string(static_cast<std::size_t>(-k), '0') + digits;
    expo = x == 0 ? 0 : e10 - k;
  }
  const int ae = expo < 0 ? -expo : expo;
  std::string ex;
  if (ae <= 99) {
    ex = std::string(1, letter) + (expo < 0 ? '-' : '+') + static_cast<char>('0' + ae / 10) + static_cast<char>('0' + ae % 10);
  } else if (ae <= 999) {
    ex = std::string(1, expo < 0 ? '-' : '+') + std::to_string(ae);
  } else {
    return stars(w);
  }
  const std::string sign = neg ? "-" : "";
  if (k <= 0 && w != 0 && static_cast<int>(sign.size() + mant.size() + ex.size()) > w) mant.erase(0, 1);
  return fit(sign + mant + ex, w);
}

std::string format_a(const FmtItem& it, int w) {
  std::string s;
  switch (it.kind) {
    case FmtItem::Kind::text: s.assign(it.s); break;
    case FmtItem::Kind::integer: s = std::to_string(it.i); break;
    case FmtItem::Kind::real: s = c_format("%.*g", 17, it.d); break;
  }
  if (w < 0) return s;
  if (static_cast<int>(s.size()) >= w) return s.substr(0, static_cast<std::size_t>(w));
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

double real_of(const FmtItem& it) {
  switch (it.kind) {
    case FmtItem::Kind::real: return it.d;
    case FmtItem::Kind::integer: return static_cast<double>(it.i);
    case FmtItem::Kind::text: break;
  }
  return std::nan("");
}

// ---------------------------------------------------------------------------
// Running a template.

class Runner {
 public:
  explicit Runner(std::span<const FmtItem> items) : items_(items) {}

  /// Runs nodes[from..]; false when output stopped at a data descriptor without an item.
  bool run(const std::vector<Node>& nodes, std::size_t from) {
    for (std::size_t i = from; i < nodes.size(); ++i) {
      const Node& n = nodes[i];
      switch (n.kind) {
        case Node::Kind::text: line_ += n.text; break;
        case Node::Kind::blanks: line_.append(static_cast<std::size_t>(n.w), ' '); break;
        case Node::Kind::slash: end_line(); break;
        case Node::Kind::scale: scale_ = n.w; break;
        case Node::Kind::group:
          for (int r = 0; r < n.rep; ++r)
            if (!run(n.children, 0)) return false;
          break;
        default:
          for (int r = 0; r < n.rep; ++r) {
            if (next_ == items_.size()) return false;
            edit(n, items_[next_++]);
          }
      }
    }
    return true;
  }

  void end_line() {
    out_ += line_;
    out_ += '\n';
    line_.clear();
  }
  bool items_left() const { return next_ < items_.size(); }
  std::size_t used() const { return next_; }
  std::string take() { return std::move(out_); }

 private:
  void edit(const Node& n, const FmtItem& it) {
    switch (n.kind) {
      case Node::Kind::int_d:
        if (it.kind == FmtItem::Kind::integer) {
          line_ += format_int(it.i, n.w);
        } else {
          const double v = std::trunc(real_of(it));
          line_ += std::fabs(v) < 9.2e18 ? format_int(static_cast<long long>(v), n.w) : stars(n.w);
        }
        break;
      case Node::Kind::f_d: line_ += format_f(real_of(it), n.w, n.d, scale_); break;
      case Node::Kind::e_d: line_ += format_e(real_of(it), n.w, n.d, scale_, n.letter); break;
      case Node::Kind::a_d: line_ += format_a(it, n.w); break;
      default: break;
    }
  }

  std::span<const FmtItem> items_;
  std::size_t next_ = 0;
  int scale_ = 0;
  std::string line_;
  std::string out_;
};

}  // namespace

std::string format_lines(std::string_view tmpl, std::span<const FmtItem> items) {
  const std::vector<Node> nodes = Parser(tmpl).parse();
  // Reversion restarts at the last top-level group (with its repeat count), or at the start.
  std::size_t restart = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].kind == Node::Kind::group) restart = i;

  Runner r(items);
  bool going = r.run(nodes, 0);
  while (going && r.items_left()) {
    r.end_line();
    const std::size_t before = r.used();
    going = r.run(nodes, restart);
    if (r.used() == before) break;  // the restart part takes no items: drop the rest
  }
  r.end_line();
  return r.take();
}

std::vector<FmtItem> char_items(std::string_view s) {
  std::vector<FmtItem> v;
  v.reserve(s.size());
  for (std::size_t k = 0; k < s.size(); ++k) v.emplace_back(s.substr(k, 1));
  return v;
}

void write_lines(std::FILE* f, std::string_view tmpl, std::span<const FmtItem> items) {
  const std::string s = format_lines(tmpl, items);
  std::fwrite(s.data(), 1, s.size(), f);
}

void fail(std::string_view tmpl, std::initializer_list<FmtItem> items) {
  stop_with_message(format_lines(tmpl, std::span<const FmtItem>(items.begin(), items.size())));
}

}  // namespace dd::detail
