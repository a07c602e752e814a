#pragma once
// The worked example of each tab: the same snapshot is generated directly in
// the pure tests and typed into the real controls in the window tests.
#include "tests/host/tab_snapshots.h"

namespace tessivar::examples {

inline MapTab map() {
    MapTab tab;
    tab.Edit2 = "Иван";
    tab.ComboBox1 = "Tower Defence";
    tab.Edit1 = "1.00";
    tab.CheckBox1 = true;
    tab.DateTimePicker1 = "02.11.2009";
    tab.ComboBox2 = "Русский";
    tab.ComboBox3 = "1-4";
    tab.ComboBox4 = "Нет";
    tab.ComboBox5 = "64х64";
    tab.ComboBox6 = "Летний Лордерон";
    tab.LabeledEdit2 = "images/td-logo.jpg";
    tab.Memo1 = {"Защитите замок от 30 волн врагов.", "", "Изменения: первый выпуск."};
    tab.Edit7 = "maps/td-page.html";
    return tab;
}

inline SoundTab sound() {
    SoundTab tab;
    tab.Edit8 = "Шум дождя";
    tab.Edit9 = "0:01:30";
    tab.ComboBox12 = "Музыка";
    tab.ComboBox9 = "MP3";
    tab.ComboBox10 = "128 Kbit/s";
    tab.ComboBox11 = "44 100 Hz";
    tab.Memo6 = {"Тихий дождь за окном.", "Подходит для меню игры."};
    return tab;
}

inline ModelTab model() {
    ModelTab tab;
    tab.Edit4 = "Кузнец";
    tab.Edit5 = "1.2";
    tab.CheckBox2 = true;
    tab.DateTimePicker2 = "02.11.2009";
    tab.Memo2 = {"Textures\\Axe.blp", "Textures\\AxeGlow.blp"};
    tab.Memo5 = {"pic1.jpg", "pic2.jpg", "pic3.jpg"};
    tab.Memo3 = {"Топор для героя", "Анимации Stand и Attack"};
    return tab;
}

inline TextureTab texture() {
    TextureTab tab;
    tab.Edit3 = "Кузнец";
    tab.Edit6 = "1.0";
    tab.CheckBox3 = false;
    tab.DateTimePicker3 = "02.11.2009";
    tab.ComboBox7 = "Textures\\HeroMountainKing.blp";
    tab.ComboBox8 = "Король гор (Mountain King)";
    tab.Memo4 = {"Броня из кожи"};
    return tab;
}

}  // namespace tessivar::examples
