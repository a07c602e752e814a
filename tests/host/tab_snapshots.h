#pragma once
// The tabs' values as the tests write them: one field per control, named
// after it, each put in its place by its control's name.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "templates/template.h"

namespace tessivar {

struct MapTab {
    std::string Edit2, ComboBox1, Edit1;
    bool CheckBox1 = true;
    std::string DateTimePicker1;  // the picker's date text; used only when CheckBox1
    std::string ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, LabeledEdit2;
    Lines Memo1;
    std::string Edit7;
};

struct SoundTab {
    std::string Edit8, Edit9, ComboBox12, ComboBox9, ComboBox10, ComboBox11, Edit11;
    Lines Memo6;
};

struct ModelTab {
    std::string Edit4, Edit5;
    bool CheckBox2 = true;
    std::string DateTimePicker2;  // the picker's date text; used only when CheckBox2
    Lines Memo2;  // imported texture paths
    Lines Memo5;  // image addresses: the first is the preview, the rest screenshots
    Lines Memo3;
};

struct TextureTab {
    std::string Edit3, Edit6;
    bool CheckBox3 = true;
    std::string DateTimePicker3;  // the picker's date text; used only when CheckBox3
    std::string ComboBox7, ComboBox8;
    Lines Memo4;
};

namespace tab_snapshots {

inline TabValue& value(TabValues& values, std::string_view control) {
    const auto fields = fields_of(values.tab);
    const auto field = std::find_if(fields.begin(), fields.end(), [&](const TabField& f) { return f.control == control; });
    return values.values.at(static_cast<std::size_t>(field - fields.begin()));
}

inline void put(TabValues& values, std::string_view control, std::string text) {
    value(values, control).text = std::move(text);
}
inline void put(TabValues& values, std::string_view control, Lines lines) {
    value(values, control).lines = std::move(lines);
}
inline void put(TabValues& values, std::string_view control, bool ticked) { value(values, control).ticked = ticked; }

}  // namespace tab_snapshots

// Taken by value: the boxes' lines move on.
inline TabValues values_of(MapTab t) {
    using tab_snapshots::put;
    TabValues v(Tab::Maps);
    put(v, "Edit2", std::move(t.Edit2));
    put(v, "ComboBox1", std::move(t.ComboBox1));
    put(v, "Edit1", std::move(t.Edit1));
    put(v, "CheckBox1", t.CheckBox1);
    put(v, "DateTimePicker1", std::move(t.DateTimePicker1));
    put(v, "ComboBox2", std::move(t.ComboBox2));
    put(v, "ComboBox3", std::move(t.ComboBox3));
    put(v, "ComboBox4", std::move(t.ComboBox4));
    put(v, "ComboBox5", std::move(t.ComboBox5));
    put(v, "ComboBox6", std::move(t.ComboBox6));
    put(v, "LabeledEdit2", std::move(t.LabeledEdit2));
    put(v, "Memo1", std::move(t.Memo1));
    put(v, "Edit7", std::move(t.Edit7));
    return v;
}

inline TabValues values_of(SoundTab t) {
    using tab_snapshots::put;
    TabValues v(Tab::Sounds);
    put(v, "Edit8", std::move(t.Edit8));
    put(v, "Edit9", std::move(t.Edit9));
    put(v, "ComboBox12", std::move(t.ComboBox12));
    put(v, "ComboBox9", std::move(t.ComboBox9));
    put(v, "ComboBox10", std::move(t.ComboBox10));
    put(v, "ComboBox11", std::move(t.ComboBox11));
    put(v, "Memo6", std::move(t.Memo6));
    put(v, "Edit11", std::move(t.Edit11));
    return v;
}

inline TabValues values_of(ModelTab t) {
    using tab_snapshots::put;
    TabValues v(Tab::Models);
    put(v, "Edit4", std::move(t.Edit4));
    put(v, "Edit5", std::move(t.Edit5));
    put(v, "CheckBox2", t.CheckBox2);
    put(v, "DateTimePicker2", std::move(t.DateTimePicker2));
    put(v, "Memo2", std::move(t.Memo2));
    put(v, "Memo5", std::move(t.Memo5));
    put(v, "Memo3", std::move(t.Memo3));
    return v;
}

inline TabValues values_of(TextureTab t) {
    using tab_snapshots::put;
    TabValues v(Tab::Textures);
    put(v, "Edit3", std::move(t.Edit3));
    put(v, "Edit6", std::move(t.Edit6));
    put(v, "CheckBox3", t.CheckBox3);
    put(v, "DateTimePicker3", std::move(t.DateTimePicker3));
    put(v, "ComboBox7", std::move(t.ComboBox7));
    put(v, "ComboBox8", std::move(t.ComboBox8));
    put(v, "Memo4", std::move(t.Memo4));
    return v;
}

inline Description describe_map(MapTab tab) { return describe(values_of(std::move(tab))); }
inline Description describe_sound(SoundTab tab) { return describe(values_of(std::move(tab))); }
inline Description describe_model(ModelTab tab) { return describe(values_of(std::move(tab))); }
inline Description describe_texture(TextureTab tab) { return describe(values_of(std::move(tab))); }

template <class Snapshot>
Rendered render_template(const TemplateText& text, const Snapshot& tab) {
    return render_template(text, values_of(tab));
}

}  // namespace tessivar
