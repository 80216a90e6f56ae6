#pragma once

#include <cstdint>
#include <vector>

namespace velmora::lessons {

// The scripts of the quiz lesson, as its author wrote them in ActionScript 2 and as they run
// compiled. The Quiz class (registered as _global.Quiz from the init code of its class symbol):
//
//   class Quiz {
//       var host, first, node;
//       function Quiz(host) { this.host = host; }
//       // Reads the questions from an XML file beside the movie.
//       function load(file) {
//           var doc = new XML(); doc.ignoreWhite = true; doc.quiz = this;
//           doc.onLoad = function (ok) { this.quiz.loaded(ok, this); };
//           doc.load(file);
//       }
//       function loaded(ok, doc) {
//           if (!ok) { host.question = "题目读不到 The questions cannot be read"; trace("quiz: no questions"); return; }
//           first = doc.firstChild.firstChild; show(first);
//       }
//       // <item answer="..."><ask>...</ask><choice>...</choice> x3</item>
//       function show(item) {
//           node = item; var ask = item.firstChild;
//           host.question = ask.firstChild.nodeValue;
//           host.choice0 = ask.nextSibling.firstChild.nodeValue; (and choice1, choice2)
//           host.feedback = ""; host.answer = "";
//           trace("question: " + host.question);
//       }
//       function choose(i) { mark(host["choice" + i]); }     // a choice button
//       function check() { mark(host.answer); }              // the check button: the typed answer
//       function mark(given) {
//           if (given == node.attributes.answer) {
//               host.feedback = "对了！ Right!";
//               var effect = new Sound(host); effect.attachSound("right"); effect.start();
//               trace("right: " + given);
//           } else { host.feedback = "再想想 Try again"; trace("wrong: " + given); }
//       }
//       function next() { var n = node.nextSibling; if (n == null) n = first; show(n); }
//   }
std::vector<uint8_t> quizClassCode();

// The first frame: quiz = new Quiz(this); quiz.load(xmlName); Selection.setFocus("answer_txt");
// and a clock from Date on every frame: clock = "hh:mm:ss".
std::vector<uint8_t> quizFrameCode(const char* xmlName);

// The buttons' release actions: quiz.choose(i), quiz.check(), quiz.next().
std::vector<uint8_t> chooseCode(int choice);
std::vector<uint8_t> checkCode();
std::vector<uint8_t> nextCode();

}  // namespace velmora::lessons
