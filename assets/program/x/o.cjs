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
    border-color: #4a6f9c;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #e8f0fa);
}
QPushButton:pressed {
    background: #cfdbeb;
}
QPushButton:disabled {
    color: #9aa4b1;
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
QComboBox:disabled, QLineEdit:disabled {
    background: #eceff3;
    color: #8b95a3;
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
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #9cc3ee, stop: 1 #5f93cf);
}
