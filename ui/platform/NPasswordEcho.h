#pragma once

class QLineEdit;

// Makes an edit echo its text as U+2022 bullets, whatever the style would draw. Every such edit shares one style,
// which lives as long as the application.
void SetBulletEcho(QLineEdit& Edit);
