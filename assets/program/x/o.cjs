/* Plumark's default skin: a Qt style sheet applied to the main window.
   The window, its frames and option buttons keep the button-face colour. */

QGroupBox {
    border: 1px solid #a9b4c2;
    border-radius: 4px;
    margin-top: 7px;
    padding-top: 4px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 3px;
    color: #2b3f5c;
}
QGroupBox#Frame3 {
    margin-top: 0px;
}

QPushButton {
    color: #1f3553;
    border: 1px solid #7d8fa8;
    border-radius: 4px;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fdfdfe, stop: 1 #dfe6ef);
}
QPushButton:hover {
    border-color: #3d6fb0;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f4f8fd, stop: 1 #d3e3f6);
}
QPushButton:focus {
    border: 2px solid #3d6fb0;
}
QPushButton:pressed {
    background: #bccfe8;
}
QPushButton:disabled {
    color: #6f7985;
    border-color: #c3cad4;
}

QTreeView#ListView1 {
    border: 1px solid #a9b4c2;
    background: #ffffff;
    selection-background-color: #3d6fb0;
    selection-color: #ffffff;
}

QComboBox, QLineEdit {
    border: 1px solid #a9b4c2;
    border-radius: 3px;
    background: #ffffff;
    padding: 1px 4px;
}
QComboBox:focus, QLineEdit:focus {
    border: 2px solid #3d6fb0;
}
QComboBox:disabled, QLineEdit:disabled {
    background: #eceff3;
    color: #6f7985;
}
/* The open rate list is a plain list with its own colours. As a menu (Qt's
   default under a style sheet) its entries take the box's rule, and the
   chosen entry is drawn as a blank white box. */
QComboBox {
    combobox-popup: 0;
}
QComboBox QAbstractItemView {
    border: 1px solid #7d8fa8;
    background: #ffffff;
    color: #1f3553;
    selection-background-color: #3d6fb0;
    selection-color: #ffffff;
    outline: 0;
}
QComboBox QAbstractItemView::item {
    min-height: 20px;
}
QComboBox QAbstractItemView::item:selected {
    background: #3d6fb0;
    color: #ffffff;
}

QProgressBar#ProgressBar1 {
    border: 1px solid #7d8fa8;
    border-radius: 4px;
    background: #ffffff;
    color: #1f3553;
    text-align: center;
}
QProgressBar#ProgressBar1::chunk {
    border-radius: 3px;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #d8e8f9, stop: 1 #a9cbf0);
}
