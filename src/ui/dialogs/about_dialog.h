#pragma once

#include <QDialog>

namespace vxl {

// "About VEXA-LIN CT": the tool's version, the connected module's hardware and firmware, the
// maker with its legal notice and contact links, and OK. The caller opens it only while
// isOpen() is false, so there is never a second one.
class TfAbout : public QDialog
{
    Q_OBJECT

public:
    static inline const QString kNotConnected = QStringLiteral("-----");

    TfAbout(QWidget *parent, const QString &hardware, const QString &firmware, bool connected);
    ~TfAbout() override;

    TfAbout(const TfAbout &) = delete;
    TfAbout &operator=(const TfAbout &) = delete;

    [[nodiscard]] static bool isOpen() { return s_open > 0; }

private:
    static inline int s_open = 0;
};

} // namespace vxl
