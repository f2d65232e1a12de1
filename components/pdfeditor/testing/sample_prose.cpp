#include "sample_prose.h"

namespace testdocs::detail {

const std::vector<QString>& EnglishParagraphs() {
    static const std::vector<QString> paragraphs = {
        QStringLiteral(
            "The reading rooms on the river side of the building were closed for eleven weeks "
            "while the windows were replaced. The old frames had warped so far that two of them "
            "no longer shut, and the damp that came in through the gaps had begun to stain the "
            "lower shelves of the map collection. Every map was moved to the store on the third "
            "floor before the work began, and none was damaged."),
        QStringLiteral(
            "The new windows are double glazed and open only a hand's width, which keeps the rooms "
            "at an even temperature through the afternoon. Readers who used the rooms in the first "
            "month after they reopened said that the traffic on the bridge can hardly be heard, "
            "and "
            "the staff no longer draw the blinds at noon to keep the sun off the reading tables."),
        QStringLiteral(
            "Loans rose by a little over six per cent against the year before. Most of the rise "
            "came from the children's library, where the Saturday reading hour now fills both "
            "sessions, and from the collection of local history, which the school on Mill Lane "
            "used for a term-long project on the families who built the first houses by the ford."),
        QStringLiteral(
            "The catalogue moved to the county's shared system in March. For three days the "
            "counter staff wrote loans on paper slips and entered them afterwards; fewer than "
            "twenty of some four thousand slips needed a second look, and all of those were "
            "settled within the week. Readers can now reserve a book held by any branch and "
            "collect it here."),
        QStringLiteral(
            "Two volunteers sorted the donated books that had been waiting in the basement since "
            "the winter. About a third went to the shelves, a third to the spring sale, and the "
            "rest, mostly old telephone directories and damaged paperbacks, to recycling. The sale "
            "raised enough to pay for the new chairs in the study corner."),
        QStringLiteral(
            "The boiler will need replacing within two years. The engineer who inspected it in "
            "October found it safe but slow to heat the east wing, and advised that parts for it "
            "are becoming hard to find. A quotation for a replacement is attached to this report, "
            "together with two smaller quotations for insulating the roof space above the stacks."),
        QStringLiteral(
            "Opening hours stay as they are. We considered opening on Sunday afternoons in the "
            "summer, but the survey of readers showed that most would rather keep the late evening "
            "on Thursday, and the budget does not allow both. The question will be asked again "
            "when the next survey is sent out in the spring."),
        QStringLiteral(
            "We thank the friends of the library for the bench by the entrance, the garden club "
            "for the planting along the river wall, and every reader who was patient with us "
            "while the rooms were closed. The committee meets again on the first Tuesday of the "
            "new year, and the minutes of this meeting will be posted on the notice board."),
    };
    return paragraphs;
}

const std::vector<QString>& ChineseParagraphs() {
    static const std::vector<QString> paragraphs = {
        QStringLiteral(
            u"这座城市沿着一条不宽的河生长起来。最早的房子建在渡口两边，后来有了石桥，桥头有了集市"
            u"，"
            u"集市旁边又有了茶馆和学堂。老人们说，城里的每一条街最后都会走到河边，只要顺着水声走，"
            u"就不会迷路。"),
        QStringLiteral(
            u"春天来得很早。二月刚过，河岸上的柳树就冒出了细细的新芽，远远望去像一层淡绿色的烟。"
            u"清晨的时候，卖菜的小船从上游划下来，船头堆着带露水的青菜和刚挖的春笋，船家一边划桨，"
            u"一边和岸上的熟人打招呼。"),
        QStringLiteral(
            u"夏天的河最热闹。傍晚太阳落下去以后，孩子们在浅水里捉小鱼，大人们搬出竹椅坐在门口乘凉"
            u"，"
            u"摇着扇子讲白天听来的新闻。桥下的石阶被晒了一整天，坐上去还是暖的，常常有人在那里一坐"
            u"就是一个晚上。"),
        QStringLiteral(
            u"到了秋天，河水变得格外清澈，能看见水底圆圆的卵石。城外的稻田一片金黄，收割的人从早忙"
            u"到晚，"
            u"新米运进城里的那几天，米店门口总是排着长队。桂花开的时候，整条街都是甜甜的香味，"
            u"连河面上的风也带着这种味道。"),
        QStringLiteral(
            u"冬天并不太冷，难得下一场雪。下雪的早上，屋顶和桥栏都白了，河面上升起薄薄的雾气，"
            u"早起的人踩着雪去买热豆浆和油条。图书馆在这个季节最安静，阅览室里只听得见翻书的声音，"
            u"窗外的河静静地流着。"),
        QStringLiteral(u"城里的图书馆就建在河边，是一座两层的旧楼。楼下是借书处和儿童阅览室，楼上收"
                       u"藏着地方志、"
                       u"旧报纸和一些手绘的地图。每到周末，总有学生来查资料，他们把找到的老照片和今"
                       u"天的街道对照，"
                       u"想知道哪一间铺子已经换了主人，哪一棵树还站在原来的地方。"),
        QStringLiteral(
            u"这些年城市变大了，新修的马路一直通到山脚下，高楼也一座一座地建了起来。可是住在河边的"
            u"人"
            u"还是习惯早上沿着河走一圈，看看水涨了还是落了，和遇见的邻居聊上几句。对他们来说，"
            u"这条河就像一位老朋友，陪着城市度过了一年又一年。"),
        QStringLiteral(
            u"如果你第一次来到这里，不妨找一个晴朗的下午，从石桥出发，沿着河岸向下游慢慢走。"
            u"你会经过茶馆、书店和小小的码头，也会看到在河边写生的学生和下棋的老人。走累了就找个地"
            u"方"
            u"坐下来，要一杯茶，看河水从眼前流过，这大概就是认识这座城市最好的方法。"),
    };
    return paragraphs;
}

} // namespace testdocs::detail
