#pragma once

// The lessons that ship with the builder, drawn through the builder's own
// frames and elements: each one a list of frames with their actions and
// events and the connections between them. make_lessons writes them with the
// builder's generator; the lesson test checks the shipped files against them.

#include "builder/model/scenario_element.h"
#include "tests/builder_saveload/fake_document.h"

#include <ostream>
#include <string>
#include <vector>

namespace crvl::test {

// The date the shipped files carry, so that writing them again gives the
// same bytes.
inline constexpr const char* kLessonDate = "Wed Dec 09 13:45:00 UTC 2026";

struct LessonEvent {
    int box;          // output box 1..3
    std::string type; // DefibEvent, CPREvent, TimeEvent
    std::string attrs;
    int to;            // index of the frame it leads to
    bool jump = false; // drawn as a jump label rather than a line
};

struct LessonFrame {
    // (type, attributes) pairs in list order.
    std::vector<std::pair<std::string, std::string>> actions;
    std::vector<LessonEvent> events;
};

struct Lesson {
    // File name without ".scn"; at most 20 characters, the length of a
    // trainer slot's name.
    std::string name;
    std::string comment;
    std::string commentDe;
    std::vector<LessonFrame> frames;
};

// Test output names a lesson by its name.
inline void PrintTo(const Lesson& lesson, std::ostream* out) {
    *out << lesson.name;
}

// Every lesson starts from a working trainer: pads on, no motion, a good
// battery and no failure, so the frames that follow change one thing only.
inline std::vector<std::pair<std::string, std::string>> ready(const std::string& ecg) {
    return {{"SetECG", ecg},
            {"ElectrodesAction", "+"},
            {"MotionAction", "-"},
            {"BatteryAction", "B"},
            {"FailureAction", "-"}};
}

inline const char* const VF = "S;p;VF;";
inline const char* const VT = "S;p;VT;";
inline const char* const ASYSTOLE = "s;p;Asystole;";
inline const char* const SINUS = "s;P;Sinus;";

inline std::vector<Lesson> lessonBook() {
    return {
        {"vf-first-shock",
         "VF converted by the first shock.\n"
         "The student attaches the pads, lets the AED analyse and delivers one shock;\n"
         "the rhythm turns to sinus with a pulse: check breathing, recovery position.",
         "Kammerflimmern, das der erste Schock beendet.\n"
         "Der Schüler klebt die Elektroden, lässt analysieren und gibt einen Schock;\n"
         "danach Sinusrhythmus mit Puls: Atmung prüfen, stabile Seitenlage.",
         {{ready(VF), {{1, "DefibEvent", "1", 1}}}, {{{"SetECG", SINUS}}, {}}}},
        {"vf-shock-series",
         "VF that needs three shocks with two minutes of CPR after each.\n"
         "The student shocks, resumes CPR at once for 120 s (our choice, as taught),\n"
         "and repeats; the third shock gives sinus with a pulse.",
         "Kammerflimmern, das drei Schocks mit je zwei Minuten HLW braucht.\n"
         "Der Schüler schockt, beginnt sofort 120 s HLW (so gewählt, wie gelehrt)\n"
         "und wiederholt; der dritte Schock bringt Sinusrhythmus mit Puls.",
         {{ready(VF), {{1, "DefibEvent", "1", 1}}},
          {{{"SetECG", VF}}, {{1, "CPREvent", "A120", 2}}},
          {{{"SetECG", VF}}, {{1, "DefibEvent", "1", 3}}},
          {{{"SetECG", VF}}, {{1, "CPREvent", "A120", 4}}},
          {{{"SetECG", VF}}, {{1, "DefibEvent", "1", 5}}},
          {{{"SetECG", SINUS}}, {}}}},
        {"pulseless-vt",
         "Pulseless ventricular tachycardia: a shockable rhythm that looks organised.\n"
         "The student checks for signs of life, shocks once and resumes CPR;\n"
         "after 120 s of CPR (our choice) the rhythm is sinus with a pulse.",
         "Pulslose ventrikuläre Tachykardie: ein schockbarer, geordnet wirkender Rhythmus.\n"
         "Der Schüler prüft Lebenszeichen, schockt einmal und setzt die HLW fort;\n"
         "nach 120 s HLW (so gewählt) Sinusrhythmus mit Puls.",
         {{ready(VT), {{1, "DefibEvent", "1", 1}}},
          {{{"SetECG", VT}}, {{1, "CPREvent", "A120", 2}}},
          {{{"SetECG", SINUS}}, {}}}},
        {"asystole-cpr",
         "Asystole: no shock is advised, CPR throughout.\n"
         "The student must not shock and keeps up CPR; every 120 s of CPR (our choice)\n"
         "the AED analyses again and again advises no shock.",
         "Asystolie: kein Schock empfohlen, durchgehend HLW.\n"
         "Der Schüler schockt nicht und hält die HLW aufrecht; nach je 120 s HLW\n"
         "(so gewählt) analysiert der AED erneut und rät wieder vom Schock ab.",
         {{ready(ASYSTOLE), {{2, "CPREvent", "A120", 1}}},
          {{{"SetECG", ASYSTOLE}}, {{2, "CPREvent", "A120", 0, true}}}}},
        {"sinus-with-pulse",
         "Sinus rhythm with a pulse: the collapsed person does not need a shock.\n"
         "The student attaches the pads, hears no shock advised, checks breathing\n"
         "and places the person in the recovery position while watching them.",
         "Sinusrhythmus mit Puls: die zusammengebrochene Person braucht keinen Schock.\n"
         "Der Schüler klebt die Elektroden, hört kein Schock empfohlen, prüft die\n"
         "Atmung und bringt die Person in die stabile Seitenlage.",
         {{ready(SINUS), {}}}},
        {"pads-come-loose",
         "Pads that come loose: after 20 s the AED reports the electrodes.\n"
         "The student presses the pads on firmly; 15 s later (our choice) they hold\n"
         "again, the AED analyses VF and the student shocks: sinus with a pulse.",
         "Elektroden lösen sich: nach 20 s meldet der AED die Elektroden.\n"
         "Der Schüler drückt sie fest an; 15 s später (so gewählt) haften sie wieder,\n"
         "der AED erkennt Kammerflimmern, der Schüler schockt: Sinus mit Puls.",
         {{ready(VF), {{2, "TimeEvent", "T20", 1}}},
          {{{"SetECG", VF}, {"ElectrodesAction", "-"}}, {{2, "TimeEvent", "T15", 2}}},
          {{{"SetECG", VF}, {"ElectrodesAction", "+"}}, {{1, "DefibEvent", "1", 3}}},
          {{{"SetECG", SINUS}}, {}}}},
        {"motion-in-analysis",
         "Motion during analysis: someone touches the patient, the AED cannot analyse.\n"
         "The student calls everyone clear and keeps hands off; after 15 s (our choice)\n"
         "the motion stops, VF is found and the shock gives sinus with a pulse.",
         "Bewegung während der Analyse: jemand berührt den Patienten.\n"
         "Der Schüler ruft alle weg und berührt nichts; nach 15 s (so gewählt) endet\n"
         "die Bewegung, Kammerflimmern wird erkannt, der Schock bringt Sinus mit Puls.",
         {{{{"SetECG", VF},
            {"ElectrodesAction", "+"},
            {"MotionAction", "+"},
            {"BatteryAction", "B"},
            {"FailureAction", "-"}},
           {{2, "TimeEvent", "T15", 1}}},
          {{{"SetECG", VF}, {"MotionAction", "-"}}, {{1, "DefibEvent", "1", 2}}},
          {{{"SetECG", SINUS}}, {}}}},
        {"low-battery",
         "Low battery, then replace battery: the AED warns during the first cycle.\n"
         "The student shocks and does 120 s of CPR (our choice); then the AED asks for a\n"
         "new battery, the student changes it within 30 s and shocks again: sinus.",
         "Schwache Batterie, dann Batterie wechseln: der AED warnt im ersten Zyklus.\n"
         "Der Schüler schockt und macht 120 s HLW (so gewählt); dann verlangt der AED eine\n"
         "neue Batterie, der Schüler wechselt sie in 30 s und schockt erneut: Sinus.",
         {{{{"SetECG", VF},
            {"ElectrodesAction", "+"},
            {"MotionAction", "-"},
            {"BatteryAction", "b"},
            {"FailureAction", "-"}},
           {{1, "DefibEvent", "1", 1}}},
          {{{"SetECG", VF}}, {{2, "CPREvent", "A120", 2}}},
          {{{"SetECG", VF}, {"BatteryAction", "-"}}, {{2, "TimeEvent", "T30", 3}}},
          {{{"SetECG", VF}, {"BatteryAction", "B"}}, {{1, "DefibEvent", "1", 4}}},
          {{{"SetECG", SINUS}}, {}}}},
        {"device-failure",
         "A device failure: the AED reports a fault and cannot be used.\n"
         "The student starts CPR at once and sends for another AED; after 120 s of CPR\n"
         "(our choice) the second AED is ready, finds VF and one shock gives sinus.",
         "Ein Gerätefehler: der AED meldet einen Fehler und ist nicht nutzbar.\n"
         "Der Schüler beginnt sofort HLW und lässt einen anderen AED holen; nach 120 s\n"
         "HLW (so gewählt) ist der zweite AED bereit, ein Schock bringt Sinus.",
         {{{{"SetECG", VF},
            {"ElectrodesAction", "+"},
            {"MotionAction", "-"},
            {"BatteryAction", "B"},
            {"FailureAction", "+"}},
           {{2, "CPREvent", "A120", 1}}},
          {{{"SetECG", VF}, {"FailureAction", "-"}}, {{1, "DefibEvent", "1", 2}}},
          {{{"SetECG", SINUS}}, {}}}},
    };
}

// Draws the lesson into an empty document: frames one below the other.
inline void drawLesson(FakeDocument& doc, const Lesson& lesson) {
    std::vector<ScenarioFrame*> frames;
    for (std::size_t i = 0; i < lesson.frames.size(); ++i) {
        auto& frame = doc.addFrame("Frame" + std::to_string(i), {100, 20 + 200 * int(i)});
        for (const auto& [type, attrs] : lesson.frames[i].actions) {
            auto element = getScenarioElement(type, attrs).value();
            frame.onRequestFinished(element.get(), inputField);
        }
        for (const auto& event : lesson.frames[i].events) {
            auto element = getScenarioElement(event.type, event.attrs).value();
            frame.onRequestFinished(element.get(), event.box + 1);
        }
        frames.push_back(&frame);
    }
    for (std::size_t i = 0; i < lesson.frames.size(); ++i) {
        for (const auto& event : lesson.frames[i].events) {
            doc.connect(*frames[i], event.box, *frames[std::size_t(event.to)], event.jump);
        }
    }
}

} // namespace crvl::test
