#pragma once

#include <QLabel>
#include <QString>

namespace tavro::qt {

// A picture control: shows an SVG or PNG picture, scaled into its box with its proportions
// kept. The picture is named by its resource number; the form finds the file.
class PictureLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(int picture READ picture WRITE setPictureNumber)

  public:
    explicit PictureLabel(QWidget* parent = nullptr);

    int picture() const { return number_; }
    // Only records the number (the form file's property); the form then calls setPicture.
    void setPictureNumber(int number) { number_ = number; }
    // `file` empty: no picture.
    void setPicture(int number, const QString& file);
    QString pictureFile() const { return file_; }

    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Render();

    int number_ = 0;
    QString file_;
    QSize natural_;
};

}  // namespace tavro::qt
