<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>RavellMAS</name>
    <message>
        <source>Welcome to %@!</source>
        <translation>Willkommen bei %@!</translation>
    </message>
    <message>
        <source>Thanks for downloading, subscribe to our list to keep up to date with all the latest features in %@, and apps from our team!</source>
        <translation>Danke für den Download! Abonnieren Sie unseren Newsletter, um über alle Neuerungen in %@ und die Apps unseres Teams auf dem Laufenden zu bleiben!</translation>
    </message>
    <message>
        <source>Join</source>
        <translation>Abonnieren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Email Address</source>
        <translation>E-Mail-Adresse</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Feedback</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>Send Feedback</source>
        <translation>Feedback senden</translation>
    </message>
    <message>
        <source>Thank you!</source>
        <translation>Vielen Dank!</translation>
    </message>
    <message>
        <source>No Thanks!</source>
        <translation>Nein, danke!</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Application icon</source>
        <translation>Programmsymbol</translation>
    </message>
    <message>
        <source>Rating</source>
        <translation>Bewertung</translation>
    </message>
    <message>
        <source>Send Rating</source>
        <translation>Bewertung senden</translation>
    </message>
    <message>
        <source>Happy</source>
        <translation>Zufrieden</translation>
    </message>
    <message>
        <source>Neutral</source>
        <translation>Neutral</translation>
    </message>
    <message>
        <source>Sad</source>
        <translation>Unzufrieden</translation>
    </message>
    <message>
        <source>Are you enjoying %@?</source>
        <translation>Gefällt Ihnen %@?</translation>
    </message>
    <message>
        <source>We'd love it if you could take a second to tell us how you're enjoying using %@</source>
        <translation>Wir würden uns freuen, wenn Sie sich kurz Zeit nehmen und uns sagen, wie Ihnen %@ gefällt</translation>
    </message>
    <message>
        <source>Help improve %@!</source>
        <translation>Helfen Sie mit, %@ zu verbessern!</translation>
    </message>
    <message>
        <source>Ratings help us make %@ better! We're really excited to see what you think.</source>
        <translation>Bewertungen helfen uns, %@ besser zu machen! Wir sind gespannt auf Ihre Meinung.</translation>
    </message>
    <message>
        <source>Send direct feedback on how we can improve %@ using the form below.</source>
        <translation>Sagen Sie uns über das folgende Formular direkt, wie wir %@ verbessern können.</translation>
    </message>
    <message>
        <source>Send anonymous usage information?</source>
        <translation>Anonyme Nutzungsdaten senden?</translation>
    </message>
    <message>
        <source>Would you like to send anonymous usage information to the developer of %@ to help improve the application?</source>
        <translation>Möchten Sie anonyme Nutzungsdaten an den Entwickler von %@ senden, um das Programm zu verbessern?</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
