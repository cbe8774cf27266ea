#pragma once
// The form toolkit: the controls of a user control, with the events a user
// raises on them. Positions and sizes are in twips.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/com/unknown.h"

namespace tw::forms {

// ListBox: a list of items, one of which may be selected, optionally with a
// check mark on each; CommandButton: a button that raises Click; Map: a map
// of the world showing boxes, each item one "west east south north", kept in
// step with the four text boxes it links to.
enum class Kind {
  Label,
  TextBox,
  ComboBox,
  CheckBox,
  OptionButton,
  Frame,
  Shape,
  ListBox,
  CommandButton,
  Map
};
std::string_view to_string(Kind kind);

struct Color {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(Color, Color) = default;
};
struct Font {
  std::string name = "MS Sans Serif";
  double points = 8.25;
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kRed{255, 0, 0};
inline constexpr Color kTeal{0, 128, 128};
inline constexpr Color kButtonFace{212, 208, 200};

// The few looks the pages name.
enum class Look {
  Plain,
  Heading,       // white bold Arial 12 point
  HeadingBand,   // the teal band behind the heading
  RequiredMark,  // the red "*"
};

// A control as a page declares it at design time.
struct ControlSpec {
  std::string_view name = {};
  Kind kind = Kind::Label;
  std::string_view caption = {};  // caption of labels, frames, check boxes and option buttons;
                                  // design text of text boxes and combo boxes
  int left = 0, top = 0, width = 0, height = 0;
  int tab_index = -1;  // -1: takes no focus
  std::string_view container = {};
  std::span<const std::string_view> items = {};
  Look look = Look::Plain;
  bool selected = false;  // an option button selected, or a check box checked, at creation
  // What the value of a text or combo box must be, for the host's checks
  // ("latitude", "integer >0", "codeList required"); empty: the host's own
  // table decides. The host owns the vocabulary.
  std::string_view value_type = {};
  bool check_marks = false;  // a list box whose items each carry a check mark
  // A map: its text boxes for west, east, south and north, in that order.
  std::span<const std::string_view> links = {};
};

class Form;

class Control {
 public:
  using Handler = std::function<void()>;

  Control(Form& form, const ControlSpec& design);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  Kind kind() const { return kind_; }
  const std::string& container() const { return container_; }
  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  std::optional<int> tab_index() const { return tab_index_; }
  const Font& font() const { return font_; }
  Color fore_color() const { return fore_color_; }
  Color back_color() const { return back_color_; }

  // Labels, frames, check boxes and option buttons.
  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption) { caption_ = std::move(caption); }

  // Text boxes and combo boxes. Setting the text raises Change, as typing does.
  bool has_text() const { return kind_ == Kind::TextBox || kind_ == Kind::ComboBox; }
  const std::string& text() const { return text_; }
  void set_text(std::string text);
  const std::vector<std::string>& items() const { return items_; }
  // As designed; see ControlSpec.
  const std::string& value_type() const { return value_type_; }
  // Where in the document the page last wrote this control's value, as the
  // path it gave the document ("dataIdInfo[1]/idPurp"); empty: nowhere yet.
  // A host names what the author changed by the field that shows it.
  const std::string& binding() const { return binding_; }
  void bind(std::string path) { binding_ = std::move(path); }
  // The items of a combo box, list box or map. A list's selection stays
  // where it is while it names an item, else none is selected; check marks
  // go with the positions they stand at.
  void set_items(std::vector<std::string> items);

  // A disabled control takes no typing, picking, clicking or selecting by
  // the user; the page may still set it.
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled) { enabled_ = enabled; }

  // List box and map: the selected item, -1 for none. Selecting raises
  // Click, whether the user or the page selects.
  int list_index() const { return kind_ == Kind::ListBox || kind_ == Kind::Map ? value_ : -1; }
  void select(int index);
  // A list box with check marks: whether the item at `index` is checked.
  // Setting it raises Click.
  bool check_marks() const { return check_marks_; }
  bool checked(std::size_t index) const { return index < checked_.size() && checked_[index]; }
  void set_checked(std::size_t index, bool checked);
  // A map's linked text boxes: west, east, south, north.
  const std::vector<std::string>& links() const { return links_; }

  // Check box: 0 unchecked, 1 checked. Option button: 0 or 1 (selected).
  bool has_value() const { return kind_ == Kind::CheckBox || kind_ == Kind::OptionButton; }
  int value() const { return value_; }
  // Setting the value raises Click, as a click does; selecting an option
  // button clears the others of its container.
  void set_value(int value);

  // As a user: typing replaces the text and raises Change; picking a list
  // item sets the text and raises Click only; clicking a check box toggles it,
  // clicking an option button selects it and clicking a command button
  // presses it, raising Click.
  void type(std::string text);
  void pick(std::string_view item);
  void click();

  void on_change(Handler handler) { on_change_ = std::move(handler); }
  void on_click(Handler handler) { on_click_ = std::move(handler); }

 private:
  void require_text(std::string_view action) const;
  void require_enabled(std::string_view action) const;
  void raise(const Handler& handler) {
    if (handler) handler();
  }

  Form& form_;
  std::string name_;
  Kind kind_;
  std::string container_;
  int left_, top_, width_, height_;
  std::optional<int> tab_index_;
  std::string caption_;
  std::string text_;
  std::vector<std::string> items_;
  std::string value_type_;
  std::string binding_;
  std::vector<bool> checked_;
  std::vector<std::string> links_;
  int value_ = 0;
  bool enabled_ = true;
  bool check_marks_ = false;
  Font font_;
  Color fore_color_ = kBlack;
  Color back_color_ = kButtonFace;
  Handler on_change_;
  Handler on_click_;
};

// The controls of one user control, in creation order.
class Form {
 public:
  Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Control& add(const ControlSpec& design);
  void add(std::span<const ControlSpec> designs);

  Control* find(std::string_view name);
  const Control* find(std::string_view name) const;
  // A missing control is a fault of the caller: throws tw::com::Error (E_INVALIDARG).
  Control& get(std::string_view name);
  const Control& get(std::string_view name) const;

  std::span<const std::unique_ptr<Control>> controls() const { return controls_; }

 private:
  std::vector<std::unique_ptr<Control>> controls_;
};

// How a host reaches a page's controls: the page object offers this through
// QueryInterface. The form lives as long as the object.
struct IUserControl : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3}");
  static constexpr std::string_view Name = "IUserControl";

  virtual com::HRESULT GetForm(Form** form) noexcept = 0;

 protected:
  ~IUserControl() = default;
};

}  // namespace tw::forms
