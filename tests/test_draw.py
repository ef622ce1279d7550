import gc
import itertools
import weakref

import pytest

import ondrex

draw = ondrex.algos.draw_without_replacement


def collect(k, n, answer=True):
    seen = []

    def f(view):
        seen.append(tuple(view.at(i) for i in range(view.size())))
        return answer

    assert draw(k, n, f) is None
    return seen


@pytest.mark.parametrize(
    "k, n",
    [(2, 4), (3, 4), (1, 3), (4, 4), (3, 7), (5, 9), (1, 1), (5, 3), (1, 0), (3, 0), (0, 0), (0, 5)],
)
def test_visits_every_subset_once_in_lexicographic_order(k, n):
    # k = 0 draws the empty subset once; k > n draws nothing.
    assert collect(k, n) == list(itertools.combinations(range(n), k))


def test_known_orders():
    assert collect(2, 4) == [(0, 1), (0, 2), (0, 3), (1, 2), (1, 3), (2, 3)]
    assert collect(3, 4) == [(0, 1, 2), (0, 1, 3), (0, 2, 3), (1, 2, 3)]


class Truth:
    def __init__(self, value):
        self.value = value

    def __bool__(self):
        return self.value


@pytest.mark.parametrize("falsy", [False, None, 0, 0.0, Truth(False)])
def test_false_answer_stops_at_once(falsy):
    assert len(collect(2, 5, falsy)) == 1


@pytest.mark.parametrize("truthy", [True, 1, -3, 0.5, Truth(True)])
def test_true_answer_goes_on(truthy):
    assert len(collect(2, 5, truthy)) == 10


def test_stops_after_the_draw_that_answers_false():
    seen = []

    def f(view):
        seen.append(view.at(0))
        return view.at(0) != 1

    draw(1, 3, f)
    assert seen == [0, 1]


def test_callable_returning_nothing_is_called_once():
    calls = []
    draw(3, 6, lambda v: calls.append(list(v)))
    assert calls == [[0, 1, 2]]


@pytest.mark.parametrize("bad", [[1], [], "yes", (True,), object()])
def test_result_without_truth_conversion_raises_cast_error(bad):
    calls = []

    def f(view):
        calls.append(1)
        return bad

    with pytest.raises(RuntimeError, match="Unable to cast Python instance"):
        draw(2, 4, f)
    assert len(calls) == 1


def test_exception_of_the_callable_propagates_unchanged():
    class Boom(Exception):
        pass

    calls = []

    def f(view):
        calls.append(list(view))
        if len(calls) == 2:
            raise Boom("second draw")
        return True

    with pytest.raises(Boom, match="second draw"):
        draw(2, 4, f)
    assert calls == [[0, 1], [0, 2]]


def test_non_callable_is_only_detected_at_the_first_call():
    assert draw(3, 2, 42) is None
    with pytest.raises(TypeError):
        draw(1, 2, 42)


@pytest.mark.parametrize("k, n", [(-1, 3), (1, -3), (1.0, 3)])
def test_integers_must_be_unsigned(k, n):
    with pytest.raises(TypeError):
        draw(k, n, lambda v: True)


def test_callable_may_reenter_the_enumeration():
    pairs = []

    def outer(view):
        a = view.at(0)
        draw(1, 2, lambda inner: pairs.append((a, inner.at(0))) or True)
        # The outer view still shows its own draw after the inner enumeration.
        assert view.at(0) == a
        return True

    draw(1, 3, outer)
    assert pairs == [(a, b) for a in range(3) for b in range(2)]


def first_view(k, n):
    views = []
    draw(k, n, lambda v: views.append(v))
    return views[0]


class TestView:
    def test_reading_during_the_call(self):
        def f(view):
            assert view.size() == 3
            assert list(view) == [0, 1, 2]
            assert [view.at(i) for i in range(3)] == [0, 1, 2]
            with pytest.raises(IndexError):
                view.at(3)
            return False

        draw(3, 5, f)

    def test_empty_view_for_k_zero(self):
        def f(view):
            assert view.size() == 0
            assert list(view) == []
            with pytest.raises(IndexError):
                view.at(0)

        draw(0, 4, f)

    def test_no_length_no_brackets_no_constructor(self):
        def f(view):
            with pytest.raises(TypeError):
                len(view)
            with pytest.raises(TypeError):
                view[0]

        draw(2, 3, f)
        with pytest.raises(TypeError, match=": No constructor defined!$"):
            ondrex.SetReadOnly()

    @pytest.mark.parametrize("k, n", [(3, 5), (0, 2)])
    @pytest.mark.parametrize(
        "use", [lambda v: v.size(), lambda v: v.at(0), lambda v: list(v)], ids=["size", "at", "iter"]
    )
    def test_view_kept_after_its_call_raises(self, k, n, use):
        view = first_view(k, n)
        gc.collect()
        with pytest.raises(ValueError, match="draw has ended"):
            use(view)

    @pytest.mark.parametrize("keep_every", [1, 2, 5])
    def test_kept_views_are_detached_and_later_draws_stay_right(self, keep_every):
        kept, copies = [], []

        def f(view):
            copies.append(list(view))
            if len(copies) % keep_every == 0:
                kept.append(view)
            return True

        draw(2, 5, f)
        assert copies == [list(c) for c in itertools.combinations(range(5), 2)]
        assert len(kept) == len(copies) // keep_every
        for v in kept:
            with pytest.raises(ValueError):
                v.at(0)

    def test_weakly_kept_view_is_never_seen_again(self):
        refs = []

        def f(view):
            assert all(r() is not view for r in refs)
            refs.append(weakref.ref(view))
            return True

        draw(2, 4, f)
        assert len(refs) == 6
        for v in (r() for r in refs):
            if v is not None:
                with pytest.raises(ValueError):
                    v.size()

    def test_iterator_kept_past_its_draw_goes_on_over_that_draw(self):
        kept = []

        def f(view):
            it = iter(view)
            assert next(it) == 0
            kept.append((view, it))
            return len(kept) < 2

        draw(3, 6, f)
        gc.collect()
        # The views are detached from the draws; their iterators were detached with them and
        # go on over copies of what they had left, never over the array of a later draw.
        assert [list(it) for _, it in kept] == [[1, 2], [1, 3]]
        with pytest.raises(ValueError, match="draw has ended"):
            kept[0][0].at(0)

    def test_iterator_outlives_its_name_during_the_call(self):
        def f(view):
            it = iter(view)
            del view
            gc.collect()
            assert list(it) == [0, 1]
            return False

        draw(2, 3, f)
